// Requests to the viewer's server. The one-time token of the page's address goes along as a
// header too, so that the page works even where the cookie was not kept.

const token = new URLSearchParams(location.search).get('token');

export class RequestError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status;
  }
}

// The address of an API path with its query; values that are null or undefined are left out.
export function apiUrl(path, query = {}) {
  const params = new URLSearchParams();
  for (const [key, value] of Object.entries(query)) {
    if (value !== null && value !== undefined && value !== '') params.set(key, String(value));
  }
  if (token) params.set('token', token);
  const text = params.toString();
  return text ? `${path}?${text}` : path;
}

// GET path?query as JSON. A 404 with an error answer is returned as null when allowMissing is set.
export async function getJson(path, query = {}, { signal, allowMissing = false } = {}) {
  const headers = token ? { 'X-Varnotek-Token': token } : {};
  const response = await fetch(apiUrl(path, query), { headers, signal, credentials: 'same-origin' });
  if (allowMissing && response.status === 404) return null;
  if (!response.ok) {
    let message = `${response.status} ${response.statusText}`;
    try {
      const body = await response.json();
      if (body && body.error) message = body.error;
    } catch (_) { /* the answer had no JSON body */ }
    throw new RequestError(response.status, message);
  }
  return response.json();
}

export async function postQuit() {
  const headers = token ? { 'X-Varnotek-Token': token } : {};
  const response = await fetch(apiUrl('/api/quit'), { method: 'POST', headers, credentials: 'same-origin' });
  if (!response.ok) throw new RequestError(response.status, `${response.status} ${response.statusText}`);
}
