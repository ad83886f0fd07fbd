// The session panel: register, unregister, lock, steal and unlock; the status bar shows the
// session and the lock at all times.
import { call, onAnswer, succeeded } from './api.js';
import { act, byId } from './ui.js';
import { state, subscribe, update, sessionQuery } from './state.js';

// Answers of the session table for the console's own session say where the lock is.
const LOCK_BY_STATUS = {
  lockNotHeld: 'not held',
  lockHeldByAnother: 'held by another session',
};
const SESSION_UNKNOWN = 'Invalid ID (either not found, expired or not registered)';

function registerBody() {
  const token = byId('token').value;
  return token ? JSON.stringify({ token }) : undefined;
}

async function register() {
  const answer = await call('POST', '/1.0/register', { body: registerBody() });
  if (succeeded(answer)) update({ sessionId: answer.result.sessionId, lock: 'not held' });
  return answer;
}

async function unregister() {
  const answer = await call('DELETE', '/1.0/register', { query: sessionQuery() });
  if (succeeded(answer)) update({ sessionId: '', lock: 'not held' });
  return answer;
}

function lockOperation(method, lockAfter) {
  return async () => {
    const answer = await call(method, '/1.0/lock', { query: sessionQuery() });
    if (succeeded(answer)) update({ lock: lockAfter });
    return answer;
  };
}

function follow(request, answer) {
  const status = answer.result?.status;
  if (!state.sessionId || !request.target.includes(`session_id=${state.sessionId}`)) return;
  if (status in LOCK_BY_STATUS) update({ lock: LOCK_BY_STATUS[status] });
  if (status === 'invalidId' && answer.result.message === SESSION_UNKNOWN &&
      !request.target.includes('user_id=')) {
    update({ lock: 'session unknown' });
  }
}

export function setUpSession() {
  const actions = {
    'session-register': register,
    'session-unregister': unregister,
    'session-lock': lockOperation('POST', 'held'),
    'session-steal': lockOperation('PUT', 'held'),
    'session-unlock': lockOperation('DELETE', 'not held'),
  };
  for (const [id, action] of Object.entries(actions)) {
    const button = byId(id);
    button.addEventListener('click', () => act(button, byId('session-outcome'), action));
  }
  onAnswer(follow);
  subscribe((s) => {
    byId('bar-session').textContent = s.sessionId || 'none';
    byId('bar-lock').textContent = s.lock;
    byId('bar-sensor').textContent = s.sensor + (s.modality ? ` (${s.modality})` : '');
    byId('bar-capture').textContent = s.capturing ? 'running' : 'idle';
  });
}
