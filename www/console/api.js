// Requests to the service. Every JSON answer is HTTP 200 with its outcome in "status"; the
// answer of each request also goes to the request log and to whoever listens for answers.

const listeners = new Set();

// Calls `listener(request, answer)` after every answer.
export function onAnswer(listener) {
  listeners.add(listener);
}

// The service takes query values as they are written, without percent-decoding, so values
// travel raw; these characters cannot (they end the value, or the browser would encode them).
const UNSENDABLE = /[&#%\s"'<>`\u0000-\u001f\u007f-\uffff]/;

export function canSendRaw(value) {
  return !UNSENDABLE.test(value);
}

// The path with its query text written from `query`; entries whose value is empty or
// undefined are left out.
function target(path, query = {}) {
  const pairs = [];
  for (const [name, value] of Object.entries(query)) {
    if (value === undefined || value === '') continue;
    const text = String(value);
    if (!canSendRaw(text)) throw new Error(`${name} holds a character that cannot be sent`);
    pairs.push(`${name}=${text}`);
  }
  return pairs.length ? `${path}?${pairs.join('&')}` : path;
}

// Sends one request and reads its answer: { http, result, text, error }. `result` is the
// parsed JSON answer (null for other answers), `error` a text when no answer came.
// `body` is sent as it stands (a JSON text).
export async function call(method, path, { query, body } = {}) {
  const request = { method, target: target(path, query), started: performance.now() };
  const answer = { http: 0, result: null, text: '', error: '' };
  try {
    const init = { method, cache: 'no-store' };
    if (body !== undefined) {
      init.body = body;
      init.headers = { 'Content-Type': 'application/json' };
    }
    const response = await fetch(new URL(request.target, location.origin), init);
    answer.http = response.status;
    answer.text = await response.text();
    if ((response.headers.get('Content-Type') || '').startsWith('application/json')) {
      answer.result = JSON.parse(answer.text);
    }
  } catch (error) {
    answer.error = error.message;
  }
  request.duration = performance.now() - request.started;
  for (const listener of listeners) listener(request, answer);
  return answer;
}

// Whether an answer carries the result status success.
export function succeeded(answer) {
  return answer.result?.status === 'success';
}

// The items of a dictionary answer ("metadata", "deviceInfo") as a Map of key to value.
export function dictionary(answer, name = 'metadata') {
  return new Map((answer.result?.[name] || []).map((item) => [item.key, item]));
}
