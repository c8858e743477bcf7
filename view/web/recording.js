// The recording page: timeline, word list, word detail and find bar of one recording, kept in
// step with each other, with the recording's growth and with the address's fragment.

import { apiUrl, getJson } from './api.js';
import { criteriaQuery, isActive } from './criteria.js';
import { FindBar } from './findbar.js';
import { writeFragment } from './fragment.js';
import { Timeline } from './timeline.js';
import { numberText, parseLine } from './timetext.js';
import { WordDetail } from './worddetail.js';
import { WordList } from './wordlist.js';

const POLL_MS = 500;
const $ = (id) => document.getElementById(id);

export class RecordingPage {
  constructor(handlers) {
    this.handlers = handlers; // onStatus(text), onError(error)
    this.name = null;
    this.info = null;
    this.format = 'mdm';
    this.criteria = null;
    this.pollTimer = 0;
    this.fragmentTimer = 0;
    const onError = (error) => handlers.onError(error);

    this.list = new WordList(
      { list: $('list'), head: $('list-head'), scroll: $('list-scroll'), spacer: $('list-spacer'), rows: $('list-rows') },
      {
        onView: (first, last) => this.listMoved(first, last),
        onMark: (line) => this.marked(line),
        onUserScroll: () => this.setFollow(this.list.atEnd() && $('follow').checked),
        onError,
      });
    this.timeline = new Timeline($('timeline'), {
      onPick: (at) => this.goToRecorded(at, true),
      onWindow: () => this.timelineMoved(),
      onError,
    });
    this.detail = new WordDetail({ panel: $('word'), title: $('word-title'), bits: $('word-bits'), body: $('word-fields').tBodies[0] },
      { onError });
    this.find = new FindBar($('find'), $('bits'), {
      onChange: (criteria) => this.setCriteria(criteria),
      onNext: () => this.findNext('next'),
      onPrev: () => this.findNext('prev'),
      onCount: () => this.count(),
    });

    $('format').addEventListener('change', () => {
      this.format = $('format').value;
      this.list.setFormat(this.format);
      if (this.list.marked) this.detail.show(this.name, this.list.marked, this.format);
      this.saveFragment();
    });
    $('follow').addEventListener('change', () => this.setFollow($('follow').checked));
    $('go-time').addEventListener('submit', (event) => {
      event.preventDefault();
      this.goToTime(event.target.elements.time.value.trim());
    });
    $('go-line').addEventListener('submit', (event) => {
      event.preventDefault();
      const line = parseLine(event.target.elements.line.value);
      if (Number.isNaN(line) || line < 1 || line > this.list.records) handlers.onStatus(`No line ${event.target.elements.line.value}`);
      else this.list.show(line);
    });
    $('export').addEventListener('click', () => this.takeOut());
    document.addEventListener('keydown', (event) => {
      if (event.key === 'F3' && this.name) {
        event.preventDefault();
        this.findNext(event.shiftKey ? 'prev' : 'next');
      }
    });
  }

  async open(state) {
    this.close();
    this.name = state.file;
    this.format = state.format || 'mdm';
    $('format').value = this.format;
    this.info = await getJson('/api/recording', { name: this.name });
    this.showInfo();
    this.timeline.open(this.name, this.recordedHus());
    this.list.open(this.name, this.format, this.info.records);
    this.detail.hide();
    this.find.set(state.criteria);
    this.criteria = state.criteria;
    this.applyCriteria();
    if (state.t0 !== null && state.t1 !== null) this.timeline.setView(state.t0, state.t1, true);
    else this.timeline.refresh();
    if (state.line) this.list.show(state.line);
    else if (state.time) await this.goToTime(state.time);
    this.pollTimer = setTimeout(() => this.poll(), POLL_MS);
  }

  close() {
    clearTimeout(this.pollTimer);
    this.name = null;
  }

  // Applies a fragment the person changed by hand to the recording already open.
  apply(state) {
    if (state.format && state.format !== this.format) {
      $('format').value = state.format;
      $('format').dispatchEvent(new Event('change'));
    }
    this.find.set(state.criteria);
    this.setCriteria(state.criteria);
    if (state.t0 !== null && state.t1 !== null) this.timeline.setView(state.t0, state.t1, true);
    if (state.line) this.list.show(state.line);
    else if (state.time) this.goToTime(state.time);
  }

  showInfo() {
    const info = this.info;
    $('title').textContent = `${info.name} · ${numberText(info.records)} records · ${info.first || ''} to ${info.last || ''}`;
    $('title').dataset.records = String(info.records);
    $('live').hidden = !info.growing;
    document.title = `${info.name} - Varnotek viewer`;
  }

  // Asks for the recording's figures again; a grown recording grows on the page.
  async poll() {
    const name = this.name;
    try {
      const info = await getJson('/api/recording', { name });
      if (name !== this.name) return;
      const grew = info.records !== this.info.records || info.recorded_hus !== this.info.recorded_hus;
      this.info = info;
      this.showInfo();
      if (grew) {
        this.list.setRecords(info.records);
        this.timeline.grow(this.recordedHus());
        if ($('follow').checked) this.list.showEnd();
      }
    } catch (error) {
      this.handlers.onError(error);
    }
    if (name === this.name) this.pollTimer = setTimeout(() => this.poll(), POLL_MS);
  }

  setFollow(on) {
    $('follow').checked = on;
    if (on) this.list.showEnd();
  }

  // The recorded time of the whole recording (time breaks taken out), as the timeline spans it.
  recordedHus() {
    const info = this.info;
    return info.recorded_hus ?? Math.max(0, info.last_hus - info.first_hus);
  }

  // The list moved: the timeline shows the rows in sight as a band (their recorded times, asked
  // for at most a few times a second), and moves to keep it in view.
  listMoved(first, last) {
    $('list').dataset.first = String(first);
    $('list').dataset.last = String(last);
    this.saveFragment();
    if (!this.name || first < 1 || last < first) return;
    this.bandLines = [first, last];
    if (this.bandBusy || this.bandPlaced === `${this.name}:${first}:${last}`) return;
    this.bandBusy = true;
    setTimeout(() => this.placeBand(), 100);
  }

  async placeBand() {
    const [first, last] = this.bandLines;
    const name = this.name;
    try {
      const [a, b] = await Promise.all([first, last].map((line) => getJson('/api/line-time', { name, line })));
      if (name !== this.name || a.at_hus === undefined || b.at_hus === undefined) return;
      this.bandPlaced = `${name}:${first}:${last}`;
      const [t0, t1] = [a.at_hus, Math.max(a.at_hus, b.at_hus)];
      this.timeline.setBand(t0, t1);
      const [v0, v1] = this.timeline.view;
      if (t1 < v0 || t0 > v1) {
        const span = v1 - v0;
        this.timeline.setView(t0 - span / 2, t0 + span / 2, true);
      }
    } catch (error) {
      if (name === this.name) this.handlers.onError(error);
    } finally {
      this.bandBusy = false;
      if (this.bandLines[0] !== first || this.bandLines[1] !== last) this.listMoved(...this.bandLines);
    }
  }

  // The timeline moved: a list out of its window goes to the window's start.
  timelineMoved() {
    this.saveFragment();
    const band = this.timeline.band;
    const [v0, v1] = this.timeline.view;
    if (band && band[1] >= v0 && band[0] <= v1) return;
    clearTimeout(this.followTimer);
    this.followTimer = setTimeout(() => this.goToRecorded(this.timeline.view[0], false), 150);
  }

  // The first record at or after a point of the timeline.
  async goToRecorded(at, mark) {
    try {
      const answer = await getJson('/api/line-at', { name: this.name, at: Math.round(at) }, { allowMissing: true });
      if (answer && answer.line) this.list.show(answer.line, mark);
    } catch (error) {
      this.handlers.onError(error);
    }
  }

  marked(line) {
    $('list').dataset.marked = String(line);
    this.detail.show(this.name, line, this.format);
    this.saveFragment();
  }

  async goToTime(text, mark = true) {
    if (!text) return;
    try {
      const answer = await getJson('/api/line-at', { name: this.name, time: text }, { allowMissing: true });
      if (!answer || answer.line === null || answer.line === undefined) {
        this.handlers.onStatus(`No record at or after ${text}`);
        return;
      }
      this.list.show(answer.line, mark);
      this.handlers.onStatus(`${text}: line +${String(answer.line).padStart(8, '0')}`);
    } catch (error) {
      this.handlers.onError(error);
    }
  }

  setCriteria(criteria) {
    this.criteria = criteria;
    this.find.result('');
    this.applyCriteria();
    this.saveFragment();
  }

  applyCriteria() {
    const active = isActive(this.criteria);
    this.list.setCriteria(active ? this.criteria : null);
    this.timeline.setCriteria(criteriaQuery(this.criteria));
  }

  async findNext(dir) {
    if (!isActive(this.criteria)) {
      this.find.result('Set a criterion first');
      return;
    }
    const from = this.list.marked || (dir === 'next' ? 0 : this.list.records + 1);
    try {
      const answer = await getJson('/api/find', { name: this.name, from, dir, ...criteriaQuery(this.criteria) });
      if (answer.line === null || answer.line === undefined) {
        this.find.result(dir === 'next' ? 'No match after this line' : 'No match before this line');
        return;
      }
      this.list.show(answer.line);
      this.find.result(`match at +${String(answer.line).padStart(8, '0')}`);
    } catch (error) {
      this.handlers.onError(error);
    }
  }

  async count() {
    this.find.result('counting…');
    try {
      const answer = await getJson('/api/count', { name: this.name, ...criteriaQuery(this.criteria) });
      const partial = answer.counted !== undefined && answer.counted < answer.records;
      this.find.result(`${numberText(answer.count)} matches${partial ? ` in the first ${numberText(answer.counted)} records (indexing)` : ''}`);
      $('find-result').dataset.count = String(answer.count);
    } catch (error) {
      this.handlers.onError(error);
    }
  }

  // Downloads the timeline's window or the matches, made by the server as it sends them.
  async takeOut() {
    const kind = $('export-kind').value;
    const query = { name: this.name, kind, format: this.format };
    try {
      if ($('export-what').value === 'matches') {
        if (!isActive(this.criteria)) {
          this.handlers.onStatus('Set a find criterion first: the matches are what is taken out');
          return;
        }
        Object.assign(query, { from: 1, to: this.list.records }, criteriaQuery(this.criteria));
      } else {
        const [t0, t1] = this.timeline.view.map(Math.round);
        const start = await getJson('/api/line-at', { name: this.name, at: t0 }, { allowMissing: true });
        const end = await getJson('/api/line-at', { name: this.name, at: t1 }, { allowMissing: true });
        const from = start && start.line ? start.line : 1;
        const to = end && end.line ? Math.max(from, end.line - 1) : this.list.records;
        Object.assign(query, { from, to });
      }
      const link = document.createElement('a');
      link.href = apiUrl('/api/export', query);
      link.download = '';
      document.body.appendChild(link);
      link.click();
      link.remove();
      this.handlers.onStatus(`Taking out lines ${query.from} to ${query.to} as ${kind}`);
    } catch (error) {
      this.handlers.onError(error);
    }
  }

  saveFragment() {
    clearTimeout(this.fragmentTimer);
    this.fragmentTimer = setTimeout(() => {
      if (!this.name) return;
      const [t0, t1] = this.timeline.view;
      const whole = this.timeline.whole;
      const zoomed = t0 > whole[0] || t1 < whole[1];
      writeFragment({ file: this.name, line: this.list.marked, t0: zoomed ? t0 : null, t1, format: this.format, criteria: this.criteria });
    }, 200);
  }
}
