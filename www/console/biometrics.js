// The biometrics panel: enroll the last capture under a user, verify a new capture against a
// user, identify a new capture in the gallery.
import { call, succeeded } from './api.js';
import { captureRequest } from './capture.js';
import { readGallery } from './gallery.js';
import { act, byId, el } from './ui.js';
import { sessionQuery } from './state.js';

function userQuery() {
  return sessionQuery({ user_id: byId('user-id').value });
}

async function enroll() {
  const answer = await call('POST', '/1.0/enroll', { query: userQuery() });
  if (succeeded(answer)) await readGallery();
  return answer;
}

async function verify() {
  const answer = await captureRequest(() => call('POST', '/1.0/verifycapture',
    { query: userQuery() }));
  byId('match-result').textContent = succeeded(answer)
    ? `${byId('user-id').value}: ${answer.result.matched ? 'matched' : 'not matched'}` : '';
  return answer;
}

async function identify() {
  const answer = await captureRequest(() => call('POST', '/1.0/identifycapture',
    { query: sessionQuery() }));
  const found = answer.result?.identified;
  byId('match-result').replaceChildren(!found ? '' : found.length === 0 ? 'nobody identified'
    : el('ol', {}, ...found.map((entry) => el('li', {}, `${entry.id} (distance ${entry.distance})`))));
  return answer;
}

export function setUpBiometrics() {
  const form = byId('biometrics-form');
  const actions = { 'user-enroll': enroll, 'user-verify': verify, 'user-identify': identify };
  for (const [id, action] of Object.entries(actions)) {
    const button = byId(id);
    button.addEventListener('click', () => {
      // Identification needs no user; the others need a valid user identifier.
      if (id !== 'user-identify' && !form.reportValidity()) return;
      act(button, byId('biometrics-outcome'), action);
    });
  }
  form.addEventListener('submit', (event) => event.preventDefault());
}
