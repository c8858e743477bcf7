// The view in the address's fragment, so that it can be bookmarked and shared:
// #file=NAME&line=N&t0=HUS&t1=HUS&format=F&pattern=...&sync=... ; #time=DDD:HH:MM:SS.ffffff
// opens at the first record at or after that time.

import { criteriaFrom, criteriaQuery } from './criteria.js';

export function readFragment() {
  const params = new URLSearchParams(location.hash.replace(/^#/, ''));
  const number = (key) => {
    const value = params.get(key);
    return value !== null && /^\+?\d+$/.test(value) ? Number(value.replace('+', '')) : null;
  };
  return {
    file: params.get('file'),
    line: number('line'),
    time: params.get('time'),
    t0: number('t0'),
    t1: number('t1'),
    format: params.get('format'),
    criteria: criteriaFrom(params),
  };
}

// Writes the view without adding a history entry or firing hashchange.
export function writeFragment({ file, line, t0, t1, format, criteria }) {
  const params = new URLSearchParams();
  if (file) params.set('file', file);
  if (line) params.set('line', String(line));
  if (t0 !== null && t0 !== undefined) {
    params.set('t0', String(Math.round(t0)));
    params.set('t1', String(Math.round(t1)));
  }
  if (format) params.set('format', format);
  for (const [key, value] of Object.entries(criteriaQuery(criteria))) if (value !== '') params.set(key, value);
  const hash = `#${params.toString()}`;
  if (hash !== location.hash) history.replaceState(null, '', `${location.pathname}${location.search}${hash}`);
}
