// The gallery panel: the gallery's counts, the enrolled users with their template
// information, and deletion of one user or of all.
import { call, dictionary, succeeded } from './api.js';
import { act, byId, el } from './ui.js';
import { sessionQuery } from './state.js';

const COUNTS = ['usedIds', 'maxIds', 'usedTemplates', 'maxTemplates', 'maxTemplatesPerId'];
const TEMPLATE_WORDS = {
  templateVersion: 'template version',
  creatorVersion: 'creator',
  leftIrisCount: 'left',
  rightIrisCount: 'right',
  unknownIrisCount: 'unknown eye',
  totalIrisCount: 'total',
};

async function templateInfo(userId, cell) {
  const answer = await call('GET', '/1.0/user/templateinfo',
    { query: sessionQuery({ user_id: userId }) });
  if (succeeded(answer)) {
    const items = dictionary(answer);
    cell.textContent = Object.entries(TEMPLATE_WORDS)
      .map(([key, label]) => `${label} ${items.get(key)?.value}`).join(', ');
  }
  return answer;
}

// Sends a deletion; when it succeeded the gallery is read again.
async function remove(query) {
  const answer = await call('DELETE', query.user_id ? '/1.0/user' : '/1.0/users', { query });
  if (succeeded(answer)) await readGallery();
  return answer;
}

function userRow(userId) {
  const output = byId('gallery-outcome');
  const info = el('td', {});
  const show = el('button', { type: 'button', 'aria-label': `Template info of ${userId}` },
    'Template info');
  show.addEventListener('click', () => act(show, output, () => templateInfo(userId, info)));
  const drop = el('button', { type: 'button', 'aria-label': `Delete ${userId}` }, 'Delete');
  drop.addEventListener('click', () => act(drop, output,
    () => remove(sessionQuery({ user_id: userId }))));
  return el('tr', {}, el('th', { scope: 'row' }, userId), info, el('td', {}, show, ' ', drop));
}

// Reads the counts and the user list again; answers the first of the two that failed, else
// the list's answer.
export async function readGallery() {
  const counts = await call('GET', '/1.0/gallery', { query: sessionQuery() });
  const items = dictionary(counts);
  byId('gallery-counts').replaceChildren(...COUNTS.flatMap((key) => [
    el('dt', {}, key), el('dd', {}, String(items.get(key)?.value ?? ''))]));
  const users = await call('GET', '/1.0/users/id', { query: sessionQuery() });
  byId('user-rows').replaceChildren(...(users.result?.userIds || []).map(userRow));
  return succeeded(counts) ? users : counts;
}

export function setUpGallery() {
  const output = byId('gallery-outcome');
  const read = byId('gallery-refresh');
  read.addEventListener('click', () => act(read, output, readGallery));
  const removeAll = byId('users-delete');
  removeAll.addEventListener('click', () => act(removeAll, output, () => remove(sessionQuery())));
}
