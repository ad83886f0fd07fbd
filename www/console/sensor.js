// The sensor panel: initialize, uninitialize, device information, scan and the configuration.
import { call, dictionary, succeeded } from './api.js';
import { act, byId, el, showOutcome } from './ui.js';
import { state, update, sessionQuery } from './state.js';

const QUALITIES = ['qualityStreaming', 'qualitySample'];
const THRESHOLDS = ['genuineThreshold', 'imposterThreshold'];

async function initialize() {
  const answer = await call('POST', '/1.0/initialize', { query: sessionQuery() });
  if (succeeded(answer)) {
    // Initializing an initialized sensor changes nothing, its configuration included.
    update({ sensor: state.sensor === 'configured' ? 'configured' : 'initialized',
      modality: answer.result.cameraModality,
      streams: answer.result.streamUrls });
    showOutcome(byId('configure-outcome'), await readConfiguration());
  }
  return answer;
}

async function uninitialize() {
  const answer = await call('DELETE', '/1.0/initialize', { query: sessionQuery() });
  if (succeeded(answer)) update({ sensor: 'not initialized', modality: '', streams: [] });
  return answer;
}

function showDictionary(list, answer, name) {
  list.replaceChildren(...(answer.result?.[name] || []).flatMap((item) => [
    el('dt', {}, item.key), el('dd', {}, String(item.value ?? ''))]));
}

async function deviceInfo() {
  const answer = await call('GET', '/1.0/deviceinfo', { query: sessionQuery() });
  showDictionary(byId('device-info'), answer, 'deviceInfo');
  return answer;
}

async function scan() {
  const answer = await call('GET', '/1.0/camera/scan', { query: sessionQuery() });
  byId('devices').replaceChildren(...(answer.result?.devices || []).map((d) => el('li', {}, d)));
  return answer;
}

// Puts the configuration description into the form: the current values and the ranges the
// service reports for them. The bounds are taken as inclusive: the service accepts 0 and 100
// although its description marks both ends exclusive.
function fillForm(items) {
  for (const key of QUALITIES) {
    const item = items.get(key);
    if (!item) continue;
    const input = byId(key);
    input.value = item.value;
    if (item.range) {
      input.min = item.range.minimum;
      input.max = item.range.maximum;
      byId(`${key}-range`).textContent = `${item.range.minimum} to ${item.range.maximum}`;
    }
  }
  for (const key of THRESHOLDS) {
    if (items.has(key)) byId(key).value = items.get(key).value;
  }
  if (items.has('deduplicationEnroll')) {
    byId('deduplicationEnroll').checked = items.get('deduplicationEnroll').value;
  }
  const resolution = items.get('resolution')?.value.defaultValue;
  byId('resolution').textContent =
    resolution ? `${resolution.width} × ${resolution.height} ${resolution.unit}` : 'unknown';
  const formats = items.get('imageFormat')?.value.defaultValue || [];
  const revisions = items.get('biometricFormat')?.value.defaultValue || [];
  byId('formats').textContent = [...formats, ...revisions].join(', ');
  update({ imageFormats: formats, isoRevisions: revisions });
}

async function readConfiguration() {
  const answer = await call('GET', '/1.0/configure', { query: sessionQuery() });
  if (succeeded(answer)) fillForm(dictionary(answer));
  return answer;
}

// A number as a JSON number with a fraction: the service reads a whole number as an integer
// item, which it refuses for a threshold.
function floatText(value) {
  const text = String(Number(value));
  return /[.eE]/.test(text) ? text : `${text}.0`;
}

function configurationBody() {
  const items = [
    ['deduplicationEnroll', String(byId('deduplicationEnroll').checked)],
    ...THRESHOLDS.map((key) => [key, floatText(byId(key).value)]),
    ...QUALITIES.map((key) => [key, String(Number(byId(key).value))]),
  ];
  const list = items.map(([key, value]) => `{"key": "${key}", "value": ${value}}`);
  return `{"configuration": {"item": [${list.join(', ')}]}}`;
}

async function configure() {
  const answer = await call('POST', '/1.0/configure',
    { query: sessionQuery(), body: configurationBody() });
  if (succeeded(answer)) update({ sensor: 'configured' });
  return answer;
}

export function setUpSensor() {
  const actions = {
    'sensor-initialize': initialize,
    'sensor-uninitialize': uninitialize,
    'sensor-deviceinfo': deviceInfo,
    'sensor-scan': scan,
  };
  for (const [id, action] of Object.entries(actions)) {
    const button = byId(id);
    button.addEventListener('click', () => act(button, byId('sensor-outcome'), action));
  }
  const output = byId('configure-outcome');
  const read = byId('configure-read');
  read.addEventListener('click', () => act(read, output, readConfiguration));
  byId('configure-form').addEventListener('submit', (event) => {
    event.preventDefault();
    act(byId('configure-apply'), output, configure);
  });
}
