// Times, numbers, sizes and durations as the page writes them; lines as a person types them.

export const HUS_PER_SECOND = 2000000;
const HUS_PER_DAY = 86400 * HUS_PER_SECOND;
const pad = (value, width) => String(value).padStart(width, '0');

// A time tag (half microseconds since day 0) as the report writes it: DDD:HH:MM:SS.fffffff.
export function husToText(hus) {
  const whole = Math.max(0, Math.round(hus));
  const day = Math.floor(whole / HUS_PER_DAY);
  const rest = whole - day * HUS_PER_DAY;
  const seconds = Math.floor(rest / HUS_PER_SECOND);
  return `${pad(day, 3)}:${pad(Math.floor(seconds / 3600), 2)}:${pad(Math.floor(seconds / 60) % 60, 2)}:` +
    `${pad(seconds % 60, 2)}.${pad((rest - seconds * HUS_PER_SECOND) * 5, 7)}`;
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
