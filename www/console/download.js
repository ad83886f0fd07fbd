// The download panel: the image of a capture in every format, kind and ISO revision the
// service offers, and the capture's template. JPEG and PNG show inline; everything else is
// offered as a file with its size.
import { call, dictionary, succeeded } from './api.js';
import { act, base64Bytes, base64Size, byId, el } from './ui.js';
import { subscribe } from './state.js';

const IMAGE_KINDS = ['KIND 1', 'KIND 2', 'KIND 3', 'KIND 7', 'KIND 7_1_5', 'KIND 7_2_5',
  'KIND 7_3_5', 'KIND 7_5_0'];
const INLINE = new Set(['image/jpeg', 'image/png']);
const EXTENSIONS = {
  'image/raw': 'raw',
  'image/jp2': 'jp2',
  'image/vnd.vantrel.raw': 'vantrel.raw',
  'image/vnd.vantrel.jp2': 'vantrel.jp2',
};
let shownUrl = null;

function fillSelect(select, values) {
  const keep = select.value;
  select.replaceChildren(...values.map((value) => el('option', { value }, value)));
  if (values.includes(keep)) select.value = keep;
}

function fileName(captureId, format, eye) {
  const extension = EXTENSIONS[format] ??
    (format.startsWith('ISO') ? `iso19794-6-${format.slice(-4)}.bin` : 'bin');
  return `${captureId.slice(0, 8)}-${eye}.${extension}`;
}

// Shows the downloaded data: inline for JPEG and PNG, otherwise as a file link with its size.
function showData(text, type, name) {
  if (shownUrl) URL.revokeObjectURL(shownUrl);
  shownUrl = null;
  const size = `${base64Size(text).toLocaleString('en')} bytes`;
  const area = byId('download-result');
  if (INLINE.has(type)) {
    area.replaceChildren(el('img', { src: `data:${type};base64,${text}`, alt: `Downloaded ${type} image` }),
      el('p', {}, `${type}, ${size}`));
    return;
  }
  shownUrl = URL.createObjectURL(new Blob([base64Bytes(text)], { type: 'application/octet-stream' }));
  area.replaceChildren(el('p', {}, el('a', { href: shownUrl, download: name }, `Save ${name}`),
    ` (${type}, ${size})`));
}

async function download(method, variant, body) {
  const captureId = byId('download-capture').value;
  const answer = await call(method, `/1.0/download/${variant}`,
    { query: { capture_id: captureId }, body });
  if (succeeded(answer)) {
    const items = dictionary(answer);
    const eye = items.get('submodality')?.value ?? 'unknownIris';
    const format = items.get('imageFormat')?.value ?? 'template';
    const data = answer.result.sensorData ?? answer.result.template;
    showData(data, format, format === 'template'
      ? `${captureId.slice(0, 8)}-${eye}.template` : fileName(captureId, format, eye));
  } else {
    byId('download-result').replaceChildren();
  }
  return answer;
}

function paramsBody() {
  return JSON.stringify({ params: {
    imageFormat: byId('download-format').value,
    imageKind: byId('download-kind').value,
    isoRevision: byId('download-revision').value,
    encodingQuality: Number(byId('download-quality').value),
  } });
}

export function setUpDownload() {
  fillSelect(byId('download-kind'), IMAGE_KINDS);
  const actions = {
    'download-default': () => download('GET', 'image'),
    'download-template': () => download('GET', 'template'),
  };
  const output = byId('download-outcome');
  for (const [id, action] of Object.entries(actions)) {
    const button = byId(id);
    button.addEventListener('click', () => act(button, output, action));
  }
  byId('download-form').addEventListener('submit', (event) => {
    event.preventDefault();
    act(byId('download-image'), output, () => download('POST', 'image', paramsBody()));
  });
  subscribe((s) => {
    fillSelect(byId('download-capture'), s.captures.map((c) => c.id));
    if (s.imageFormats.length) fillSelect(byId('download-format'), s.imageFormats);
    fillSelect(byId('download-revision'), ['none', ...s.isoRevisions]);
  });
}
