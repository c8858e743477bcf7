// The find bar: the dialog's criteria as controls (24 tri-state bit buttons, bit 23 first, then
// sync, errors, bus and the gap window) and the buttons that count and step through matches.

import { BITS, emptyCriteria } from './criteria.js';

const NEXT_STATE = { x: '1', 1: '0', 0: 'x' };

export class FindBar {
  constructor(form, bitsElement, handlers) {
    this.form = form;
    this.handlers = handlers; // onChange(criteria), onNext(), onPrev(), onCount()
    this.buttons = [];
    for (let i = 0; i < BITS; i += 1) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'bit-button';
      button.dataset.bit = String(BITS - 1 - i);
      button.title = `bit ${BITS - 1 - i}`;
      button.addEventListener('click', () => {
        button.textContent = NEXT_STATE[button.textContent];
        this.changed();
      });
      if (i % 4 === 0 && i > 0) bitsElement.appendChild(document.createTextNode(' '));
      bitsElement.appendChild(button);
      this.buttons.push(button);
    }
    form.addEventListener('change', () => this.changed());
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      handlers.onNext();
    });
    form.querySelector('#find-prev').addEventListener('click', () => handlers.onPrev());
    form.querySelector('#find-count').addEventListener('click', () => handlers.onCount());
    form.querySelector('#find-clear').addEventListener('click', () => {
      this.set(emptyCriteria());
      this.changed();
    });
    this.set(emptyCriteria());
  }

  get() {
    const value = (name) => this.form.elements[name].value;
    return {
      pattern: this.buttons.map((button) => button.textContent).join(''),
      sync: value('sync'),
      errors: value('errors'),
      bus: value('bus'),
      gap: value('gap'),
      gap_min: value('gap_min'),
      gap_max: value('gap_max'),
    };
  }

  set(criteria) {
    this.buttons.forEach((button, i) => {
      button.textContent = criteria.pattern[i];
    });
    for (const name of ['sync', 'errors', 'bus', 'gap', 'gap_min', 'gap_max']) this.form.elements[name].value = criteria[name];
    this.paint();
  }

  paint() {
    for (const button of this.buttons) button.dataset.state = button.textContent;
    this.form.classList.toggle('gap-on', this.form.elements.gap.value !== 'none');
  }

  changed() {
    this.paint();
    this.handlers.onChange(this.get());
  }

  result(text) {
    this.form.querySelector('#find-result').textContent = text;
  }
}
