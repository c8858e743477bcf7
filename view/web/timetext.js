// Time tags as the data file holds them: half microseconds since the start of day 0, written as
// the report writes them, DDD:HH:MM:SS.fffffff.

export const HUS_PER_SECOND = 2000000;
const HUS_PER_DAY = 86400 * HUS_PER_SECOND;

const pad = (value, width) => String(value).padStart(width, '0');

// DDD:HH:MM:SS with `digits` fraction digits (0 to 7).
export function husToText(hus, digits = 7) {
  const whole = Math.floor(hus);
  const day = Math.floor(whole / HUS_PER_DAY);
  let rest = whole - day * HUS_PER_DAY;
  const seconds = Math.floor(rest / HUS_PER_SECOND);
  rest -= seconds * HUS_PER_SECOND;
  const text = `${pad(day, 3)}:${pad(Math.floor(seconds / 3600), 2)}:${pad(Math.floor(seconds / 60) % 60, 2)}:` +
    pad(seconds % 60, 2);
  if (digits <= 0) return text;
  return `${text}.${pad(rest * 5, 7).slice(0, digits)}`;
}

// A duration in seconds, short: 0.25 s, 12.5 s, 3 min 20 s, 2 h 05 min.
export function durationText(seconds) {
  if (!Number.isFinite(seconds)) return '';
  if (seconds < 1) return `${+(seconds * 1000).toPrecision(3)} ms`;
  if (seconds < 60) return `${+seconds.toPrecision(3)} s`;
  if (seconds < 3600) return `${Math.floor(seconds / 60)} min ${pad(Math.floor(seconds % 60), 2)} s`;
  const hours = Math.floor(seconds / 3600);
  return `${hours} h ${pad(Math.floor((seconds % 3600) / 60), 2)} min`;
}

// The labels' step for an axis of `spanHus` with room for `most` labels: 1, 2, 5 times a power of
// ten below a second, whole seconds, minutes and hours above.
const STEPS_S = [1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400];
export function tickStep(spanHus, most) {
  const wanted = spanHus / Math.max(1, most);
  if (wanted < HUS_PER_SECOND) {
    let step = 1;
    while (step * 10 <= wanted) step *= 10;
    for (const factor of [1, 2, 5, 10]) if (step * factor >= wanted) return step * factor;
  }
  for (const seconds of STEPS_S) if (seconds * HUS_PER_SECOND >= wanted) return seconds * HUS_PER_SECOND;
  return Math.ceil(wanted / HUS_PER_DAY) * HUS_PER_DAY;
}

// Digits of fraction a label needs to tell ticks `stepHus` apart.
export function digitsFor(stepHus) {
  let digits = 0;
  let unit = HUS_PER_SECOND;
  while (digits < 7 && stepHus % unit !== 0) {
    unit /= 10;
    digits += 1;
  }
  return digits;
}

// A line as typed: 355, +355 or the report's label +00000355. NaN when it is none.
export function parseLine(text) {
  const match = /^\s*\+?(\d+)\s*$/.exec(text);
  return match ? Number(match[1]) : NaN;
}

export const numberText = (value) => (value === null || value === undefined ? '' : Number(value).toLocaleString('en-US'));

export function sizeText(bytes) {
  const units = ['bytes', 'KiB', 'MiB', 'GiB', 'TiB'];
  let value = bytes;
  let unit = 0;
  while (value >= 1024 && unit < units.length - 1) {
    value /= 1024;
    unit += 1;
  }
  return unit === 0 ? `${value} bytes` : `${value.toFixed(value < 10 ? 2 : 1)} ${units[unit]}`;
}
