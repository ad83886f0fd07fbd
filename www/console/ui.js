// Small helpers for building the page.

// A new element: el('button', { type: 'button', onclick }, 'Text', child...).
export function el(tag, properties = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(properties)) {
    if (name.startsWith('on')) node.addEventListener(name.slice(2), value);
    else if (name in node) node[name] = value;
    else node.setAttribute(name, value);
  }
  node.append(...children.filter((child) => child !== null && child !== undefined));
  return node;
}

export function byId(id) {
  return document.getElementById(id);
}

// Shows an answer's outcome in an output element: the result status and its message, the bad
// fields, or why no answer came.
export function showOutcome(output, answer) {
  const result = answer.result;
  let text;
  if (result) {
    text = result.status;
    if (result.message) text += `: ${result.message}`;
    if (result.badFields) text += ` (bad: ${result.badFields.join(', ')})`;
  } else if (answer.error) {
    text = `no answer: ${answer.error}`;
  } else {
    text = `HTTP ${answer.http}`;
  }
  output.textContent = text;
  output.dataset.status = result ? result.status : 'none';
}

// Runs `action` (which answers) for a button: the button is disabled meanwhile, so that a slow
// request is not sent twice; the output says that the request is under way, then shows the
// answer's outcome.
export async function act(button, output, action) {
  button.disabled = true;
  output.textContent = '…';
  output.dataset.status = 'pending';
  try {
    showOutcome(output, await action());
  } catch (error) {
    output.textContent = `not sent: ${error.message}`;
    output.dataset.status = 'error';
  } finally {
    button.disabled = false;
  }
}

// Byte count of a Base64 text.
export function base64Size(text) {
  const padding = text.endsWith('==') ? 2 : text.endsWith('=') ? 1 : 0;
  return (text.length / 4) * 3 - padding;
}

export function base64Bytes(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}
