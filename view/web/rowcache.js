// The word list's rows, fetched in blocks of BLOCK lines as they come into sight and kept for a
// while (the blocks farthest from sight are dropped first). A block at the end of a growing
// recording is fetched again once it has more rows to give.

import { getJson } from './api.js';

export const BLOCK = 100;
const MOST_BLOCKS = 120;
const BLOCKS_PER_REQUEST = 5; // 500 rows, the most one request may ask for

export class RowCache {
  constructor(onArrive, onError) {
    this.onArrive = onArrive; // (answer) after rows came in
    this.onError = onError;
    this.reset(null, null);
  }

  reset(name, format) {
    this.name = name;
    this.format = format;
    this.blocks = new Map(); // block number -> array of rows (shorter than BLOCK at the end)
    this.pending = new Set();
    this.generation = (this.generation || 0) + 1;
    this.columns = null;
  }

  row(line) {
    const block = this.blocks.get(Math.floor((line - 1) / BLOCK));
    return block ? block[(line - 1) % BLOCK] : undefined;
  }

  // Rows past `records` may have appeared: blocks that ended short are asked for again.
  grown(records) {
    for (const [number, rows] of this.blocks) {
      if (rows.length < BLOCK && number * BLOCK + rows.length < records) this.blocks.delete(number);
    }
  }

  // Fetches whatever is missing of lines first..last (1-based, inclusive) within `records`.
  want(first, last, records) {
    if (!this.name || records <= 0) return;
    const from = Math.floor((Math.max(1, first) - 1) / BLOCK);
    const to = Math.floor((Math.min(records, last) - 1) / BLOCK);
    let run = [];
    const flush = () => {
      if (run.length) this.fetchRun(run[0], run[run.length - 1]);
      run = [];
    };
    for (let number = from; number <= to; number += 1) {
      if (this.blocks.has(number) || this.pending.has(number)) {
        flush();
        continue;
      }
      run.push(number);
      if (run.length === BLOCKS_PER_REQUEST) flush();
    }
    flush();
    this.trim(from);
  }

  async fetchRun(firstBlock, lastBlock) {
    const generation = this.generation;
    for (let number = firstBlock; number <= lastBlock; number += 1) this.pending.add(number);
    const from = firstBlock * BLOCK + 1;
    const count = (lastBlock - firstBlock + 1) * BLOCK;
    try {
      const answer = await getJson('/api/rows', { name: this.name, from, count, format: this.format });
      if (generation !== this.generation) return;
      if (answer.columns) this.columns = answer.columns;
      const rows = answer.rows || [];
      for (let number = firstBlock; number <= lastBlock; number += 1) {
        const start = (number - firstBlock) * BLOCK;
        if (start < rows.length || number === firstBlock) this.blocks.set(number, rows.slice(start, start + BLOCK));
      }
      this.onArrive(answer);
    } catch (error) {
      if (generation === this.generation) this.onError(error);
    } finally {
      if (generation === this.generation) {
        for (let number = firstBlock; number <= lastBlock; number += 1) this.pending.delete(number);
      }
    }
  }

  trim(nearBlock) {
    if (this.blocks.size <= MOST_BLOCKS) return;
    const numbers = [...this.blocks.keys()].sort((a, b) => Math.abs(b - nearBlock) - Math.abs(a - nearBlock));
    for (const number of numbers.slice(0, this.blocks.size - MOST_BLOCKS)) this.blocks.delete(number);
  }
}
