// The timeline, over recorded time (half microseconds from the first record, the time breaks
// taken out, as the server measures it; its tick marks carry the time of day): a lane per bus (words a second, the mean of each step filled and the least as a
// line), the error words and the matches of the find criteria as densities, the time breaks as
// red marks, and the time of day on the axis. The wheel zooms about the pointer, a drag moves,
// a drag with Shift zooms to the stretch swept, a click shows that time in the list.

import { getJson } from './api.js';
import { HUS_PER_SECOND, husToText, numberText } from './timetext.js';

const BUSES = ['J1', 'J2', 'J3', 'J4'];
const LANE_PX = 38;
const SMALL_LANE_PX = 18;
const AXIS_PX = 20;
const LEFT_PX = 92;
const SHORTEST_HUS = 400; // 200 microseconds: a few single words across the whole width
const COLOURS = { J1: '#2f6fb3', J2: '#2f9e5b', J3: '#b36b2f', J4: '#7a4fb3', errors: '#c62828', matches: '#d4a000' };

export class Timeline {
  constructor(canvas, handlers) {
    this.canvas = canvas;
    this.handlers = handlers; // onPick(hus), onWindow(t0, t1), onError(error)
    this.name = null;
    this.whole = [0, 1];
    this.view = [0, 1];
    this.data = null;
    this.band = null;
    this.criteriaQuery = {};
    this.drag = null;
    this.request = null;
    this.timer = 0;

    canvas.addEventListener('wheel', (event) => this.onWheel(event), { passive: false });
    canvas.addEventListener('pointerdown', (event) => this.onDown(event));
    canvas.addEventListener('pointermove', (event) => this.onMove(event));
    canvas.addEventListener('pointerup', (event) => this.onUp(event));
    canvas.addEventListener('pointerleave', () => {
      this.hoverX = null;
      this.draw();
    });
    canvas.addEventListener('dblclick', () => this.setView(...this.whole));
    new ResizeObserver(() => {
      this.draw();
      this.fetchSoon();
    }).observe(canvas);
  }

  open(name, recordedHus) {
    this.name = name;
    this.data = null;
    this.band = null;
    this.whole = [0, Math.max(recordedHus, SHORTEST_HUS)];
    this.view = [...this.whole];
  }

  // The recording grew: a view that reached the end keeps reaching it.
  grow(recordedHus) {
    const atEnd = this.view[1] >= this.whole[1];
    const wasWhole = atEnd && this.view[0] <= this.whole[0];
    this.whole = [0, Math.max(recordedHus, SHORTEST_HUS)];
    if (wasWhole) this.view = [...this.whole];
    else if (atEnd) this.view = [this.view[0], this.whole[1]];
    else return;
    this.fetchSoon();
  }

  setView(t0, t1, quiet = false) {
    let span = Math.max(SHORTEST_HUS, t1 - t0);
    const wholeSpan = this.whole[1] - this.whole[0];
    span = Math.min(span, wholeSpan);
    let start = Math.max(this.whole[0], Math.min(t0, this.whole[1] - span));
    this.view = [start, start + span];
    this.draw();
    this.fetchSoon();
    if (!quiet) this.handlers.onWindow(...this.view);
  }

  setCriteria(query) {
    this.criteriaQuery = query;
    this.fetchSoon();
  }

  // The stretch the word list shows, drawn as a band.
  setBand(t0, t1) {
    this.band = [t0, t1];
    this.draw();
  }

  refresh() {
    this.fetchSoon(0);
  }

  get plotWidth() {
    return Math.max(1, this.canvas.clientWidth - LEFT_PX);
  }

  xOf(hus) {
    return LEFT_PX + ((hus - this.view[0]) / (this.view[1] - this.view[0])) * this.plotWidth;
  }

  husAt(x) {
    return this.view[0] + ((x - LEFT_PX) / this.plotWidth) * (this.view[1] - this.view[0]);
  }

  fetchSoon(delay = 60) {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.fetch(), delay);
  }

  async fetch() {
    if (!this.name) return;
    if (this.request) this.request.abort();
    const request = new AbortController();
    this.request = request;
    const bins = Math.min(2000, Math.max(10, Math.floor(this.plotWidth / 2)));
    const [t0, t1] = this.view.map(Math.round);
    try {
      const data = await getJson('/api/timeline', { name: this.name, t0, t1, bins, ...this.criteriaQuery },
        { signal: request.signal });
      if (this.request !== request) return;
      this.data = data;
      this.canvas.dataset.lanes = String((data.lanes || []).length);
      this.canvas.dataset.source = data.source || '';
      this.draw();
    } catch (error) {
      if (error.name !== 'AbortError') this.handlers.onError(error);
    }
  }

  layout() {
    const lanes = [];
    let y = 4;
    for (const bus of BUSES) {
      lanes.push({ key: bus, top: y, height: LANE_PX });
      y += LANE_PX + 4;
    }
    lanes.push({ key: 'errors', top: y, height: SMALL_LANE_PX });
    y += SMALL_LANE_PX + 4;
    lanes.push({ key: 'matches', top: y, height: SMALL_LANE_PX });
    y += SMALL_LANE_PX + 4;
    return { lanes, axisTop: y, height: y + AXIS_PX };
  }

  // Draws at the next frame, once however many changes came before it.
  draw() {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.paint();
    });
  }

  // The lanes, breaks and axis are drawn once per answer, view and size into a canvas aside; a
  // frame copies that and draws the list's band and the stretch being swept over it.
  paint() {
    const canvas = this.canvas;
    const { axisTop, height } = this.layout();
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    if (canvas.style.height !== `${height}px`) canvas.style.height = `${height}px`;
    if (canvas.width !== Math.round(width * ratio) || canvas.height !== Math.round(height * ratio)) {
      canvas.width = Math.round(width * ratio);
      canvas.height = Math.round(height * ratio);
    }
    if (canvas.width === 0 || canvas.height === 0) return; // the page is hidden
    const key = `${canvas.width}x${canvas.height}:${this.view.join(',')}`;
    if (this.baseKey !== key || this.baseData !== this.data) this.paintBase(key, ratio, width, height);
    const g = canvas.getContext('2d');
    g.setTransform(1, 0, 0, 1, 0, 0);
    g.clearRect(0, 0, canvas.width, canvas.height);
    g.drawImage(this.base, 0, 0);
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    this.drawBand(g, axisTop);
    this.drawHover(g, axisTop);
    if (this.drag && this.drag.zoom) {
      const [a, b] = [this.drag.x0, this.drag.x].sort((p, q) => p - q);
      g.fillStyle = 'rgba(40, 90, 200, 0.18)';
      g.fillRect(a, 0, b - a, axisTop);
    }
  }

  paintBase(key, ratio, width, height) {
    this.baseKey = key;
    this.baseData = this.data;
    this.base = this.base || document.createElement('canvas');
    this.base.width = this.canvas.width;
    this.base.height = this.canvas.height;
    const { lanes, axisTop } = this.layout();
    const g = this.base.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, width, height);
    g.font = '11px system-ui, sans-serif';
    g.textBaseline = 'middle';
    for (const lane of lanes) {
      g.fillStyle = '#f6f7f9';
      g.fillRect(LEFT_PX, lane.top, this.plotWidth, lane.height);
      this.drawLane(g, lane);
    }
    this.drawBreaks(g, axisTop);
    this.drawAxis(g, axisTop);
  }

  // Step i of the answer spans [x(i), x(i+1)) of the answer's own window, drawn where that lies in
  // the current view (so that a view being moved shows the old steps moved until the new come).
  stepX(i, count) {
    const [t0, t1] = [this.data.t0, this.data.t1];
    return this.xOf(t0 + ((t1 - t0) * i) / count);
  }

  drawLane(g, lane) {
    const label = lane.key === 'errors' ? 'error words' : lane.key === 'matches' ? 'matches' : lane.key;
    const data = this.data;
    let mean = null;
    let least = null;
    if (data && BUSES.includes(lane.key)) {
      const found = (data.lanes || []).find((item) => item.bus === BUSES.indexOf(lane.key) + 1);
      if (found) ({ mean, least } = found);
    } else if (data) {
      mean = data[lane.key] || null;
    }
    const top = mean ? Math.max(...mean, 0) : 0;
    g.fillStyle = '#333';
    g.textAlign = 'left';
    g.fillText(label, 4, lane.top + Math.min(11, lane.height / 2));
    if (BUSES.includes(lane.key) && mean) {
      g.fillStyle = '#777';
      g.fillText(`${numberText(Math.round(top))}/s`, 4, lane.top + lane.height - 8);
    }
    if (!mean || top <= 0) return;
    g.save();
    g.beginPath();
    g.rect(LEFT_PX, lane.top, this.plotWidth, lane.height);
    g.clip();
    const count = mean.length;
    const yOf = (value) => lane.top + lane.height - (value / top) * (lane.height - 2);
    g.fillStyle = COLOURS[lane.key];
    g.globalAlpha = BUSES.includes(lane.key) ? 0.55 : 0.85;
    for (let i = 0; i < count; i += 1) {
      if (!mean[i]) continue;
      const x0 = this.stepX(i, count);
      const x1 = Math.max(x0 + 1, this.stepX(i + 1, count));
      const y = Math.min(yOf(mean[i]), lane.top + lane.height - 3); // a single word stays in sight
      g.fillRect(x0, y, x1 - x0, lane.top + lane.height - y);
    }
    if (least) {
      g.globalAlpha = 1;
      g.strokeStyle = COLOURS[lane.key];
      g.lineWidth = 1;
      g.beginPath();
      for (let i = 0; i < count; i += 1) {
        const y = yOf(least[i] || 0);
        g.moveTo(this.stepX(i, count), y);
        g.lineTo(this.stepX(i + 1, count), y);
      }
      g.stroke();
    }
    g.restore();
  }

  drawBreaks(g, bottom) {
    if (!this.data || !this.data.breaks) return;
    g.strokeStyle = '#d32f2f';
    g.lineWidth = 1.5;
    g.setLineDash([4, 3]);
    g.beginPath();
    for (const item of this.data.breaks) {
      const x = this.xOf(item.at_hus ?? item.from_hus);
      if (x < LEFT_PX || x > LEFT_PX + this.plotWidth) continue;
      g.moveTo(x, 2);
      g.lineTo(x, bottom);
    }
    g.stroke();
    g.setLineDash([]);
  }

  drawBand(g, bottom) {
    if (!this.band) return;
    const x0 = Math.max(LEFT_PX, this.xOf(this.band[0]));
    const x1 = Math.min(LEFT_PX + this.plotWidth, this.xOf(this.band[1]));
    if (x1 < LEFT_PX || x0 > LEFT_PX + this.plotWidth) return;
    g.fillStyle = 'rgba(0, 0, 0, 0.10)';
    g.fillRect(x0, 0, Math.max(2, x1 - x0), bottom);
    g.strokeStyle = '#222';
    g.lineWidth = 1;
    g.strokeRect(x0 + 0.5, 0.5, Math.max(2, x1 - x0), bottom - 1);
  }

  // The server's tick marks (recorded time and time of day); labels that would overlap are left out.
  drawAxis(g, top) {
    const [t0, t1] = this.view;
    const ticks = (this.data && this.data.ticks) || [];
    g.fillStyle = '#333';
    g.strokeStyle = '#999';
    g.textAlign = 'center';
    g.beginPath();
    let free = LEFT_PX;
    for (const tick of ticks) {
      const x = this.xOf(tick.at_hus);
      if (x < LEFT_PX || x > LEFT_PX + this.plotWidth) continue;
      g.moveTo(x, top);
      g.lineTo(x, top + 4);
      const text = String(tick.text).replace(/\.?0+$/, '');
      const width = g.measureText(text).width;
      const at = Math.min(x, LEFT_PX + this.plotWidth - width / 2); // the last label kept whole
      if (at - width / 2 < free) continue;
      g.fillText(text, at, top + 12);
      free = at + width / 2 + 12;
    }
    g.stroke();
    g.textAlign = 'left';
    const span = (t1 - t0) / HUS_PER_SECOND;
    g.fillText(`${+span.toPrecision(3)} s shown`, 4, top + 12);
  }

  // Under the pointer: a line, the time of day there and each lane's words a second in that step.
  drawHover(g, bottom) {
    if (this.hoverX === null || this.hoverX === undefined || !this.data || this.drag) return;
    const x = this.hoverX;
    const at = this.husAt(x);
    const tag = this.tagAt(at);
    const count = (this.data.errors || []).length;
    const step = Math.floor(((at - this.data.t0) / (this.data.t1 - this.data.t0)) * count);
    const rates = (this.data.lanes || []).map((lane) => `J${lane.bus} ${numberText(Math.round((lane.mean || [])[step] || 0))}/s`);
    const text = `${tag === null ? '' : husToText(tag)}  ${rates.join('  ')}  errors ${(this.data.errors || [])[step] ?? 0}`;
    g.strokeStyle = '#111';
    g.lineWidth = 1;
    g.beginPath();
    g.moveTo(x + 0.5, 0);
    g.lineTo(x + 0.5, bottom);
    g.stroke();
    g.font = '11px system-ui, sans-serif';
    const width = g.measureText(text).width + 10;
    const left = Math.min(Math.max(LEFT_PX, x + 8), LEFT_PX + this.plotWidth - width);
    g.fillStyle = 'rgba(255, 255, 255, 0.92)';
    g.fillRect(left, 1, width, 16);
    g.fillStyle = '#111';
    g.textAlign = 'left';
    g.fillText(text, left + 5, 9);
  }

  // The time tag at a point of recorded time, from the answer's tick marks and breaks: the nearest
  // one before it (or after it, when none is before) within the same stretch between breaks.
  tagAt(at) {
    const anchors = [...(this.data.ticks || []).map((tick) => ({ at: tick.at_hus, before: tick.time_hus, after: tick.time_hus })),
      ...(this.data.breaks || []).map((item) => ({ at: item.at_hus, before: item.from_hus, after: item.to_hus }))];
    let below = null;
    let above = null;
    for (const anchor of anchors) {
      if (anchor.at <= at && (!below || anchor.at > below.at)) below = anchor;
      if (anchor.at > at && (!above || anchor.at < above.at)) above = anchor;
    }
    if (below) return below.after + (at - below.at);
    if (above) return above.before - (above.at - at);
    return null;
  }

  onWheel(event) {
    event.preventDefault();
    const x = event.offsetX;
    if (x < LEFT_PX) return;
    const factor = Math.pow(1.2, event.deltaY / (event.deltaMode === 0 ? 100 : 3));
    const at = this.husAt(x);
    const [t0, t1] = this.view;
    this.setView(at - (at - t0) * factor, at + (t1 - at) * factor);
  }

  onDown(event) {
    if (event.button !== 0 || event.offsetX < LEFT_PX) return;
    this.canvas.setPointerCapture(event.pointerId);
    this.drag = { x0: event.offsetX, x: event.offsetX, view: [...this.view], zoom: event.shiftKey, moved: false };
  }

  onMove(event) {
    if (!this.drag) {
      this.hoverX = event.offsetX >= LEFT_PX ? event.offsetX : null;
      this.draw();
      return;
    }
    this.drag.x = event.offsetX;
    if (Math.abs(this.drag.x - this.drag.x0) > 3) this.drag.moved = true;
    if (!this.drag.moved) return;
    if (this.drag.zoom) {
      this.draw();
      return;
    }
    const [t0, t1] = this.drag.view;
    const shift = ((this.drag.x0 - this.drag.x) / this.plotWidth) * (t1 - t0);
    this.setView(t0 + shift, t1 + shift);
  }

  onUp(event) {
    const drag = this.drag;
    this.drag = null;
    if (!drag) return;
    if (!drag.moved) {
      this.handlers.onPick(this.husAt(event.offsetX));
    } else if (drag.zoom) {
      const [a, b] = [drag.x0, event.offsetX].sort((p, q) => p - q);
      this.setView(this.husAt(a), this.husAt(b));
    }
    this.draw();
  }
}
