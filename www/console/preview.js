// The live preview of a running capture: reads a stream's multipart answer (one JPEG per part,
// boundary "vantrel") and shows each frame in an image as it arrives.
import { add as log } from './log.js';

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const PART_START = encoder.encode('--vantrel\r\n');
const STREAM_END = encoder.encode('--vantrel--');
const HEADER_END = encoder.encode('\r\n\r\n');
const RETRY_MS = 100;

function indexOf(bytes, sequence, from = 0) {
  outer: for (let i = from; i + sequence.length <= bytes.length; i++) {
    for (let j = 0; j < sequence.length; j++) {
      if (bytes[i + j] !== sequence[j]) continue outer;
    }
    return i;
  }
  return -1;
}

function startsWith(bytes, sequence) {
  return bytes.length >= sequence.length && indexOf(bytes.subarray(0, sequence.length), sequence) === 0;
}

// Reads parts from a stream reader and hands each JPEG to `onFrame`; returns when the closing
// boundary came or the connection ended.
async function readParts(reader, onFrame) {
  let buffer = new Uint8Array(0);
  const more = async () => {
    const { value, done } = await reader.read();
    if (done) return false;
    const joined = new Uint8Array(buffer.length + value.length);
    joined.set(buffer);
    joined.set(value, buffer.length);
    buffer = joined;
    return true;
  };
  for (;;) {
    while (buffer.length < STREAM_END.length) if (!(await more())) return;
    if (startsWith(buffer, STREAM_END)) return;
    if (!startsWith(buffer, PART_START)) throw new Error('no part boundary in the stream');
    let end;
    while ((end = indexOf(buffer, HEADER_END)) < 0) if (!(await more())) return;
    const header = decoder.decode(buffer.subarray(0, end));
    const length = Number(/content-length: *(\d+)/i.exec(header)?.[1]);
    const start = end + HEADER_END.length;
    while (buffer.length < start + length + 2) if (!(await more())) return;
    if (length > 0) onFrame(buffer.slice(start, start + length));
    buffer = buffer.slice(start + length + 2);
  }
}

// Shows the stream `name` in `view` ({ image, caption }) while `running()` says a capture
// runs: asks again until the stream starts (the capture may not have begun yet), then shows
// its frames until it ends. Returns the number of frames shown.
export async function watchStream(name, view, running) {
  const path = `/1.0/${name}`;
  let frames = 0;
  let shown = null;
  const showFrame = (jpeg) => {
    const url = URL.createObjectURL(new Blob([jpeg], { type: 'image/jpeg' }));
    const previous = shown;
    view.image.onload = () => previous && URL.revokeObjectURL(previous);
    view.image.src = url;
    shown = url;
    frames += 1;
    view.caption.textContent = `${name}: ${frames} frames`;
  };
  view.caption.textContent = `${name}: waiting for the capture`;
  while (running()) {
    const started = performance.now();
    const response = await fetch(new URL(path, location.origin), { cache: 'no-store' });
    const type = response.headers.get('Content-Type') || '';
    if (type.startsWith('multipart/x-mixed-replace')) {
      await readParts(response.body.getReader(), showFrame);
      log('GET', path, response.status, `${frames} frames`, 'stream ended',
        performance.now() - started);
      view.caption.textContent = `${name}: ${frames} frames, ended`;
      return frames;
    }
    const result = type.startsWith('application/json') ? await response.json() : null;
    log('GET', path, response.status, result?.status ?? '', result?.message ?? '',
      performance.now() - started);
    view.caption.textContent = `${name}: ${result?.message ?? `HTTP ${response.status}`}`;
    await new Promise((resolve) => setTimeout(resolve, RETRY_MS));
  }
  return frames;
}
