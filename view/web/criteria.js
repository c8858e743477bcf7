// The find dialog's criteria: 24 tri-state bits (bit 23 first), sync, errors, bus and a gap window
// before or after the record. Held as the query values the server takes, so that the same object
// goes into requests and into the address's fragment.

export const BITS = 24;
// The dialog measures a gap as the difference of the time tags less the time a word takes.
const GAP_OFFSET_US = 28;

export function emptyCriteria() {
  return { pattern: 'x'.repeat(BITS), sync: 'any', errors: 'any', bus: 'any', gap: 'none', gap_min: '', gap_max: '' };
}

export function isActive(criteria) {
  return /[01]/.test(criteria.pattern) || criteria.sync !== 'any' || criteria.errors !== 'any' ||
    criteria.bus !== 'any' || (criteria.gap !== 'none' && (criteria.gap_min !== '' || criteria.gap_max !== ''));
}

// The query values of active criteria (none when nothing is asked for).
export function criteriaQuery(criteria) {
  if (!isActive(criteria)) return {};
  const query = { pattern: criteria.pattern, sync: criteria.sync, errors: criteria.errors, bus: criteria.bus };
  if (criteria.gap !== 'none') Object.assign(query, { gap: criteria.gap, gap_min: criteria.gap_min, gap_max: criteria.gap_max });
  return query;
}

// Criteria read back from fragment or query values; anything malformed falls back to "any".
export function criteriaFrom(params) {
  const criteria = emptyCriteria();
  const pattern = params.get('pattern');
  if (pattern && /^[01x]{24}$/.test(pattern)) criteria.pattern = pattern;
  const pick = (key, allowed) => {
    const value = params.get(key);
    if (value && allowed.includes(value)) criteria[key] = value;
  };
  pick('sync', ['any', 'cmd', 'data']);
  pick('errors', ['any', 'with', 'without']);
  pick('bus', ['any', 'j1', 'j2', 'j3', 'j4']);
  pick('gap', ['none', 'before', 'after']);
  for (const key of ['gap_min', 'gap_max']) {
    const value = params.get(key);
    if (value && /^\d+$/.test(value)) criteria[key] = value;
  }
  return criteria;
}

// Whether a listed row matches, judged in the page to mark it (the server counts and finds).
// `before` and `after` are the neighbouring rows, undefined where they are not at hand.
export function rowMatches(criteria, row, before, after) {
  const pattern = criteria.pattern;
  for (let i = 0; i < BITS; i += 1) {
    const wanted = pattern[i];
    if (wanted === 'x') continue;
    const bit = (row.word >> (BITS - 1 - i)) & 1;
    if (bit !== (wanted === '1' ? 1 : 0)) return false;
  }
  if (criteria.sync !== 'any' && row.sync !== criteria.sync) return false;
  if (criteria.errors === 'with' && !row.error) return false;
  if (criteria.errors === 'without' && row.error) return false;
  if (criteria.bus !== 'any' && `j${row.bus}` !== criteria.bus) return false;
  if (criteria.gap !== 'none' && (criteria.gap_min !== '' || criteria.gap_max !== '')) {
    const other = criteria.gap === 'before' ? before : after;
    if (!other) return false;
    const gapUs = Math.abs(row.time_hus - other.time_hus) / 2 - GAP_OFFSET_US;
    if (criteria.gap_min !== '' && gapUs < Number(criteria.gap_min)) return false;
    if (criteria.gap_max !== '' && gapUs > Number(criteria.gap_max)) return false;
  }
  return true;
}
