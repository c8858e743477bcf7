// The marked word bit by bit: its 24 bits in boxes, grouped as the chosen bus format lays them out,
// and a table of the record's fields with their bits, value and meaning.

import { getJson } from './api.js';

export class WordDetail {
  constructor(elements, handlers) {
    this.el = elements; // { panel, title, bits, body }
    this.handlers = handlers; // onError(error)
    this.request = 0;
  }

  hide() {
    this.el.panel.hidden = true;
    this.request += 1;
  }

  async show(name, line, format) {
    const request = ++this.request;
    try {
      const answer = await getJson('/api/word', { name, line, format });
      if (request !== this.request) return;
      this.el.panel.hidden = false;
      this.el.panel.dataset.line = String(line);
      this.el.title.textContent = `Line +${String(answer.line).padStart(8, '0')}`;
      const fields = answer.fields || [];
      this.el.bits.replaceChildren(...bitGroups(fields).map((bits, i) => {
        const group = document.createElement('span');
        group.className = `field f${i % 6}`;
        for (const bit of bits) {
          const box = document.createElement('span');
          box.className = `bit b${bit}`;
          box.textContent = bit;
          group.appendChild(box);
        }
        return group;
      }));
      this.el.body.replaceChildren(...fields.map((field, i) => {
        const row = document.createElement('tr');
        for (const text of [field.name, field.bits, field.value, field.text]) {
          const cell = document.createElement('td');
          cell.textContent = text === undefined || text === null ? '' : String(text).replace(/\t/g, '   ');
          row.appendChild(cell);
        }
        row.firstChild.className = `field-name f${i % 6}`;
        return row;
      }));
    } catch (error) {
      if (request === this.request) this.handlers.onError(error);
    }
  }
}

// The word's bits in the groups of the format's layout ("10011 1 0011 00000000000010"), or whole.
function bitGroups(fields) {
  const layout = fields.find((field) => field.name === 'layout');
  const text = layout ? String(layout.text).split('\t')[0].trim() : '';
  if (/^[01 ]+$/.test(text)) return text.split(/ +/);
  const word = fields.find((field) => /^[01]{24}$/.test(String(field.bits)));
  return word ? [String(word.bits)] : [];
}
