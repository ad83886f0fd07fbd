// The capture panel: capture with a purpose, cancel, the live preview of every stream the
// camera offers, and the identifiers of the last capture with their sample quality.
import { call, succeeded } from './api.js';
import { watchStream } from './preview.js';
import { act, byId, el } from './ui.js';
import { subscribe, update, sessionQuery } from './state.js';

const views = new Map();

function showStreams(names) {
  const current = [...views.keys()];
  if (current.length === names.length && current.every((name, i) => name === names[i])) return;
  views.clear();
  byId('previews').replaceChildren(...names.map((name) => {
    const image = el('img', { alt: `Live preview ${name}`, width: 320, height: 240 });
    const caption = el('figcaption', {}, `${name}: no capture yet`);
    views.set(name, { image, caption });
    return el('figure', { className: 'preview' }, image, caption);
  }));
}

async function describeCaptures(ids) {
  const captures = [];
  for (const id of ids) {
    const answer = await call('GET', '/1.0/samplequality', { query: { capture_id: id } });
    captures.push({ id, quality: succeeded(answer) ? answer.result.quality : null,
      outcome: answer.result?.status ?? answer.error });
  }
  update({ captures });
}

function showCaptures(captures) {
  byId('capture-rows').replaceChildren(...captures.map(({ id, quality, outcome }) => el('tr', {},
    el('td', { className: 'target' }, id),
    el('td', {}, quality?.submodality ?? outcome),
    el('td', { className: 'number' }, quality ? String(quality.totalScore) : ''),
    el('td', { className: 'number' }, quality ? String(quality.usableAreaScore) : ''))));
}

// Sends a request that runs a capture (capture, verification, identification), shows the
// preview of every stream while it runs and takes over the identifiers it answers.
export async function captureRequest(send) {
  update({ capturing: true });
  let done = false;
  const request = send().finally(() => { done = true; });
  const previews = [...views].map(([name, view]) => watchStream(name, view, () => !done)
    .catch((error) => { view.caption.textContent = `${name}: ${error.message}`; }));
  let answer;
  try {
    answer = await request;
  } finally {
    await Promise.all(previews);
    update({ capturing: false });
  }
  if (answer.result?.captureIds) await describeCaptures(answer.result.captureIds);
  return answer;
}

async function capture() {
  const purpose = byId('capture-purpose').value;
  return captureRequest(() => call('POST', '/1.0/capture',
    { query: sessionQuery({ cap_purpose: purpose }) }));
}

export function setUpCapture() {
  const start = byId('capture-start');
  start.addEventListener('click', () => act(start, byId('capture-outcome'), capture));
  const cancel = byId('capture-cancel');
  cancel.addEventListener('click', () => act(cancel, byId('cancel-outcome'),
    () => call('POST', '/1.0/cancel', { query: sessionQuery() })));
  subscribe((s) => {
    showStreams(s.streams.length ? s.streams : ['stream']);
    showCaptures(s.captures);
  });
}
