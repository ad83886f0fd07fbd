// What the console knows of its session and of the sensor; panels show it and change it.

const listeners = new Set();

export const state = {
  sessionId: '',
  lock: 'not held',
  sensor: 'not initialized',
  modality: '',
  streams: [],        // preview stream names of the initialized camera
  capturing: false,
  captures: [],       // identifiers of the last capture: { id, submodality, quality }
  imageFormats: [],   // what the configuration description offers
  isoRevisions: [],
};

export function update(changes) {
  Object.assign(state, changes);
  for (const listener of listeners) listener(state);
}

export function subscribe(listener) {
  listeners.add(listener);
  listener(state);
}

// The query of a request made with the console's session.
export function sessionQuery(more = {}) {
  return { session_id: state.sessionId, ...more };
}
