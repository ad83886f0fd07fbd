// The administration page: the token check, the accepted tokens and the administration
// password, through the /1.0/admin/ routes (the browser answers their digest challenge with
// the credentials it was given for this page).
import { call, canSendRaw, succeeded } from '/console/api.js';
import { setUpLog } from '/console/log.js';
import { act, byId, el, showOutcome } from '/console/ui.js';

async function readCheck() {
  const answer = await call('GET', '/1.0/admin/config');
  if (succeeded(answer)) byId('check-on').checked = answer.result.tokenAuthentication;
  return answer;
}

function applyCheck() {
  const on = byId('check-on').checked;
  return call('POST', '/1.0/admin/config',
    { body: JSON.stringify({ config: { tokenAuthentication: on } }) });
}

function tokenRow(token) {
  const drop = el('button', { type: 'button', 'aria-label': `Delete token ${token}` }, 'Delete');
  drop.addEventListener('click', () => act(drop, byId('tokens-outcome'), async () => {
    const answer = await call('DELETE', '/1.0/admin/token', { query: { token_id: token } });
    await readTokens();
    return answer;
  }));
  return el('tr', {}, el('td', { className: 'target' }, token), el('td', {}, drop));
}

async function readTokens() {
  const answer = await call('GET', '/1.0/admin/tokens');
  byId('token-rows').replaceChildren(...(answer.result?.tokens || []).map(tokenRow));
  return answer;
}

async function generate() {
  const answer = await call('GET', '/1.0/admin/token/generate');
  if (succeeded(answer)) byId('token-new').value = answer.result.token;
  return answer;
}

// Tokens and passwords travel in the query as they are written, so they must consist of
// characters that a URL carries unchanged.
function checkSendable(input) {
  input.setCustomValidity(canSendRaw(input.value)
    ? '' : 'No blanks, non-ASCII characters or any of & # % " \' < > `');
}

async function addToken() {
  const answer = await call('POST', '/1.0/admin/token',
    { query: { token_id: byId('token-new').value } });
  if (succeeded(answer)) await readTokens();
  return answer;
}

function changePassword() {
  return call('POST', '/1.0/admin/password',
    { query: { new_password: byId('password-new').value } });
}

setUpLog();
const actions = {
  'check-read': ['check-outcome', readCheck],
  'check-apply': ['check-outcome', applyCheck],
  'token-generate': ['tokens-outcome', generate],
  'tokens-read': ['tokens-outcome', readTokens],
};
for (const [id, [output, action]] of Object.entries(actions)) {
  const button = byId(id);
  button.addEventListener('click', () => act(button, byId(output), action));
}
byId('token-new').addEventListener('input', (event) => checkSendable(event.target));
byId('token-form').addEventListener('submit', (event) => {
  event.preventDefault();
  act(byId('token-add'), byId('tokens-outcome'), addToken);
});
const password = byId('password-new');
const repeat = byId('password-repeat');
for (const input of [password, repeat]) {
  input.addEventListener('input', () => {
    checkSendable(password);
    repeat.setCustomValidity(repeat.value === password.value ? '' : 'The passwords differ');
  });
}
byId('password-form').addEventListener('submit', (event) => {
  event.preventDefault();
  act(byId('password-change'), byId('password-outcome'), changePassword);
});
showOutcome(byId('check-outcome'), await readCheck());
showOutcome(byId('tokens-outcome'), await readTokens());
