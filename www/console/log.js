// The request log: every request of the page with its HTTP status, result status, message and
// time, newest first.
import { el, byId } from './ui.js';
import { onAnswer } from './api.js';

const MAX_ROWS = 200;

export function add(method, target, http, outcome, message, milliseconds) {
  const body = byId('log-rows');
  body.prepend(el('tr', {},
    el('td', {}, new Date().toLocaleTimeString()),
    el('td', {}, method),
    el('td', { className: 'target' }, target),
    el('td', {}, http ? String(http) : '-'),
    el('td', {}, outcome),
    el('td', {}, message),
    el('td', { className: 'number' }, String(Math.round(milliseconds)))));
  while (body.rows.length > MAX_ROWS) body.deleteRow(-1);
}

export function setUpLog() {
  onAnswer((request, answer) => add(request.method, request.target, answer.http,
    answer.result?.status ?? (answer.error ? 'no answer' : ''),
    answer.result?.message ?? answer.error, request.duration));
  byId('log-clear').addEventListener('click', () => byId('log-rows').replaceChildren());
}
