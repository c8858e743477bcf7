// The recordings page: every data file of the folder with its figures, newest first, asked for
// again every second or two so that a growing recording's figures move. A click opens one.

import { getJson } from './api.js';
import { durationText, numberText, sizeText } from './timetext.js';

export class FolderPage {
  constructor(elements, handlers) {
    this.el = elements; // { page, name, body, empty }
    this.handlers = handlers; // onOpen(name), onError(error)
    this.timer = 0;
    this.running = false;
    this.el.body.addEventListener('click', (event) => {
      const row = event.target.closest('tr[data-name]');
      if (row) handlers.onOpen(row.dataset.name);
    });
  }

  start() {
    this.running = true;
    this.poll();
  }

  stop() {
    this.running = false;
    clearTimeout(this.timer);
  }

  async poll() {
    clearTimeout(this.timer);
    let busy = false;
    try {
      const answer = await getJson('/api/recordings');
      if (!this.running) return;
      this.show(answer);
      busy = answer.recordings.some((item) => item.growing || !item.indexed);
    } catch (error) {
      this.handlers.onError(error);
    }
    if (this.running) this.timer = setTimeout(() => this.poll(), busy ? 1000 : 3000);
  }

  show(answer) {
    this.el.name.textContent = answer.folder;
    document.title = `${answer.folder} - Varnotek viewer`;
    this.el.empty.hidden = answer.recordings.length > 0;
    this.el.body.replaceChildren(...answer.recordings.map((item) => recordingRow(item))); // newest first
  }
}

function recordingRow(item) {
  const row = document.createElement('tr');
  row.dataset.name = item.name;
  row.classList.toggle('growing', Boolean(item.growing));
  const words = item.words || [];
  let state = item.growing ? 'growing' : '';
  if (!item.indexed) {
    const share = item.indexing_progress;
    state = share === null || share === undefined ? 'indexing' : `indexing ${Math.round(share * 100)} %`;
  }
  const cells = [item.name, sizeText(item.size), numberText(item.records), item.first || '', item.last || '',
    durationText(item.duration_s), ...[0, 1, 2, 3].map((bus) => numberText(words[bus])), numberText(item.errors),
    numberText(item.breaks), state];
  cells.forEach((text, i) => {
    const cell = document.createElement('td');
    cell.textContent = text;
    if (i === 0) cell.className = 'name';
    else if (i === cells.length - 1) cell.className = 'state';
    else if (i !== 3 && i !== 4) cell.className = 'number';
    row.appendChild(cell);
  });
  return row;
}
