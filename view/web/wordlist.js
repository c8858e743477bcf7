// The word list: every record one row of selectable text, scrolled virtually. Only the rows in
// sight exist in the page and only they (with a little around them) are fetched. Browsers cap an
// element's height at some millions of pixels, so the scrollbar does not hold one row of pixels
// per record: its range is mapped onto the range of first lines, and the wheel and keys move by
// rows whatever the recording's length.

import { RowCache } from './rowcache.js';
import { rowMatches } from './criteria.js';

const ROW_PX = 20;
const MOST_SCROLL_PX = 4000000;
const PREFETCH_ROWS = 60;

export class WordList {
  constructor(elements, handlers) {
    this.el = elements; // { list, head, scroll, spacer, rows }
    this.handlers = handlers; // onView(first, last), onMark(line), onUserScroll(), onError(error)
    this.cache = new RowCache(() => this.render(), (error) => handlers.onError(error));
    this.records = 0;
    this.first = 1;
    this.marked = 0;
    this.criteria = null;
    this.visible = 1;
    this.expectedScrollTop = -1;
    this.wheelRest = 0;
    this.pool = [];
    this.columnsKey = '';

    this.el.scroll.addEventListener('scroll', () => this.onScroll());
    this.el.rows.addEventListener('wheel', (event) => this.onWheel(event), { passive: false });
    this.el.rows.addEventListener('click', (event) => this.onClick(event));
    this.el.list.addEventListener('keydown', (event) => this.onKey(event));
    new ResizeObserver(() => this.layout()).observe(this.el.scroll);
  }

  open(name, format, records) {
    this.cache.reset(name, format);
    this.records = records;
    this.first = 1;
    this.marked = 0;
    this.columnsKey = '';
    this.layout();
  }

  setFormat(format) {
    this.cache.reset(this.cache.name, format);
    this.columnsKey = '';
    this.render();
  }

  setCriteria(criteria) {
    this.criteria = criteria;
    this.render();
  }

  setRecords(records) {
    if (records === this.records) return;
    if (records < this.records) this.cache.reset(this.cache.name, this.cache.format); // rewritten
    else this.cache.grown(records);
    this.records = records;
    this.layout();
  }

  get maxFirst() {
    return Math.max(1, this.records - this.visible + 2);
  }

  get last() {
    return Math.min(this.records, this.first + this.visible - 1);
  }

  // Puts `line` in sight (about a third down when it has to move) and marks it if asked.
  show(line, mark = true) {
    const target = Math.max(1, Math.min(this.records, line));
    if (mark) this.mark(target);
    if (target < this.first || target > this.last) this.scrollTo(target - Math.floor(this.visible / 3));
    else this.render();
  }

  mark(line) {
    this.marked = line;
    this.render();
    this.handlers.onMark(line);
  }

  scrollTo(first) {
    this.first = Math.max(1, Math.min(this.maxFirst, Math.round(first)));
    this.placeScrollbar();
    this.render();
  }

  showEnd() {
    this.scrollTo(this.maxFirst);
  }

  atEnd() {
    return this.first >= this.maxFirst;
  }

  layout() {
    const height = this.el.scroll.clientHeight;
    this.visible = Math.max(1, Math.floor(height / ROW_PX));
    const spacer = Math.min(MOST_SCROLL_PX, Math.max(height, (this.records + 1) * ROW_PX));
    this.el.spacer.style.height = `${spacer}px`;
    while (this.pool.length < this.visible + 1) {
      const row = document.createElement('div');
      row.className = 'row';
      this.el.rows.appendChild(row);
      this.pool.push(row);
    }
    this.first = Math.max(1, Math.min(this.maxFirst, this.first));
    this.placeScrollbar();
    this.render();
  }

  placeScrollbar() {
    const range = this.el.scroll.scrollHeight - this.el.scroll.clientHeight;
    const top = this.maxFirst > 1 ? ((this.first - 1) / (this.maxFirst - 1)) * range : 0;
    this.expectedScrollTop = Math.round(top);
    this.el.scroll.scrollTop = top;
  }

  onScroll() {
    const top = this.el.scroll.scrollTop;
    if (Math.abs(top - this.expectedScrollTop) <= 1) return;
    const range = this.el.scroll.scrollHeight - this.el.scroll.clientHeight;
    this.expectedScrollTop = top;
    this.first = range > 0 ? 1 + Math.round((top / range) * (this.maxFirst - 1)) : 1;
    this.handlers.onUserScroll();
    this.render();
  }

  onWheel(event) {
    if (event.ctrlKey || Math.abs(event.deltaX) > Math.abs(event.deltaY)) return;
    event.preventDefault();
    const perUnit = event.deltaMode === 1 ? 1 : event.deltaMode === 2 ? this.visible : 1 / ROW_PX;
    this.wheelRest += event.deltaY * perUnit;
    const rows = Math.trunc(this.wheelRest);
    if (rows === 0) return;
    this.wheelRest -= rows;
    this.scrollTo(this.first + rows);
    this.handlers.onUserScroll();
  }

  onClick(event) {
    const selection = window.getSelection();
    if (selection && !selection.isCollapsed) return; // a person selecting text to copy
    const row = event.target.closest('.row');
    if (row && row.dataset.line) this.mark(Number(row.dataset.line));
  }

  onKey(event) {
    const moves = { ArrowDown: 1, ArrowUp: -1, PageDown: this.visible - 1, PageUp: 1 - this.visible };
    if (event.key in moves) {
      this.show((this.marked || this.first) + moves[event.key]);
    } else if (event.key === 'Home') {
      this.show(1);
    } else if (event.key === 'End') {
      this.show(this.records);
    } else {
      return;
    }
    event.preventDefault();
    this.handlers.onUserScroll();
  }

  // Draws at the next frame, once however many moves came before it.
  render() {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.draw();
    });
  }

  // The rows in sight, from the cache; what is missing is asked for and drawn when it comes.
  draw() {
    const first = this.first;
    const last = this.last;
    this.cache.want(first - PREFETCH_ROWS, last + PREFETCH_ROWS, this.records); // a page or so either side
    this.fitColumns();
    for (let i = 0; i < this.pool.length; i += 1) {
      const element = this.pool[i];
      const line = first + i;
      if (i >= this.visible || line > this.records) {
        element.hidden = true;
        continue;
      }
      element.hidden = false;
      const row = this.cache.row(line);
      const key = row ? `${line}:${this.cache.generation}` : `${line}:-`;
      if (element.dataset.key !== key) {
        element.dataset.key = key;
        element.dataset.line = String(line);
        element.replaceChildren(...(row ? row.cells : [`+${String(line).padStart(8, '0')}`, '…'])
          .map((text) => cell(text)));
      }
      element.classList.toggle('marked', line === this.marked);
      element.classList.toggle('error', Boolean(row && row.error));
      element.classList.toggle('match', Boolean(row && this.criteria &&
        rowMatches(this.criteria, row, this.cache.row(line - 1), this.cache.row(line + 1))));
    }
    this.handlers.onView(first, last);
  }

  // The columns' widths from the header and the rows in sight, once per format.
  fitColumns() {
    const columns = this.cache.columns;
    if (!columns) return;
    const key = `${this.cache.generation}:${columns.join('|')}`;
    if (!this.cache.row(this.first) || this.columnsKey === key) return;
    this.columnsKey = key;
    // ERRORS is as wide as its widest text ("Py Mn Lg Sh"), whichever rows are in sight.
    const widths = columns.map((name) => Math.max(name.length, name === 'ERRORS' ? 12 : 3) + 2);
    for (let line = this.first; line <= this.last; line += 1) {
      const row = this.cache.row(line);
      if (row) row.cells.forEach((text, i) => { widths[i] = Math.max(widths[i] || 0, text.trimEnd().length + 2); });
    }
    widths[widths.length - 1] = Math.max(widths[widths.length - 1], 28);
    // The last column gives way on a narrow page, its text cut with an ellipsis.
    const tracks = widths.map((width, i) => (i === widths.length - 1 ? `minmax(6ch, ${width}ch)` : `${width}ch`));
    this.el.list.style.setProperty('--columns', tracks.join(' '));
    this.el.head.replaceChildren(...columns.map((name) => cell(name)));
  }
}

// A cell without the report's trailing padding, which would only be cut off.
function cell(text) {
  const span = document.createElement('span');
  span.textContent = text.trimEnd();
  return span;
}
