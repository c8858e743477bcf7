// Drives the viewer's page in headless Chromium (puppeteer-core) against a running qeltool view
// and checks it against qeltool's own answers. Prints the longest frame while scrolling.
//   node check_viewer.mjs URL FILE QELTOOL SHOTS BROWSER PROFILE
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

// puppeteer-core is installed beside the page's package.json (scripts/setup.sh).
const puppeteer = createRequire(new URL('../../view/web/package.json', import.meta.url))('puppeteer-core');

const [url, file, qeltool, shots, browserPath, profile] = process.argv.slice(2);
const name = path.basename(file);
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`); };
const tool = (...args) => execFileSync(qeltool, args).toString().trim();
const lineOf = (text) => Number(/\d+/.exec(text)[0]);

const browser = await puppeteer.launch({
  executablePath: browserPath, headless: true, userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--no-first-run'],
});
const page = await browser.newPage();
await page.setViewport({ width: 1500, height: 900 });
const messages = [];
page.on('console', (message) => { if (['error', 'warning'].includes(message.type())) messages.push(message.text()); });
page.on('pageerror', (error) => messages.push(String(error)));
page.on('response', (response) => { if (response.status() >= 400) messages.push(`${response.status()} ${response.url()}`); });
const attr = (selector, key) => page.$eval(selector, (element, k) => element.dataset[k], key);
const until = (fn, ...args) => page.waitForFunction(fn, { timeout: 10000 }, ...args);
const open = async (fragment) => {
  await page.goto('about:blank');
  await page.goto(`${url.split('#')[0]}#${fragment}`);
  await until(() => document.body.dataset.ready === 'recording' &&
    [...document.querySelectorAll('#list-rows .row:not([hidden])')].every((row) => row.children[1]?.textContent !== '…'));
};

try {
  // The folder's recordings.
  await page.goto(url.split('#')[0]);
  await until((n) => [...document.querySelectorAll('#recordings tr[data-name]')].some((row) => row.dataset.name === n), name);
  await page.screenshot({ path: `${shots}/folder.png` });
  const records = Number(tool('count', file));

  // The recording, its timeline lanes drawn from the index.
  await open(`file=${encodeURIComponent(name)}`);
  await until(() => document.querySelector('#timeline').dataset.lanes === '4');
  const inked = await page.$eval('#timeline', (canvas) => {
    const g = canvas.getContext('2d');
    const ratio = canvas.width / canvas.clientWidth;
    return [0, 1, 2, 3].map((lane) => {
      const pixels = g.getImageData(100 * ratio, (4 + lane * 42 + 4) * ratio, canvas.width - 100 * ratio, 30 * ratio).data;
      let coloured = 0;
      for (let i = 0; i < pixels.length; i += 4) {
        if (Math.max(pixels[i], pixels[i + 1], pixels[i + 2]) - Math.min(pixels[i], pixels[i + 1], pixels[i + 2]) > 40) coloured += 1;
      }
      return coloured;
    });
  });
  check(inked.every((count) => count > 100), `timeline: four bus lanes drawn (coloured pixels ${inked.join(', ')})`);
  check(Number(await attr('#title', 'records')) === records, `record count ${records} as qeltool count`);
  const offsets = await page.evaluate(() => {
    const lefts = (row) => [...row.children].map((cell) => cell.getBoundingClientRect().left);
    const row = lefts(document.querySelector('#list-rows .row:not([hidden])'));
    return lefts(document.querySelector('#list-head')).map((x, i) => Math.round(Math.abs(x - row[i])));
  });
  check(offsets.length > 5 && Math.max(...offsets) <= 1, `each column's heading over its column (${offsets.join(' ')} px apart)`);

  // Scrolling: the wheel through the list, then the scrollbar to the end; the longest frame.
  await page.evaluate(() => {
    window.frames_ = { deltas: [], last: performance.now(), run: true };
    const tick = (now) => {
      window.frames_.deltas.push(now - window.frames_.last);
      window.frames_.last = now;
      if (window.frames_.run) requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  });
  await page.mouse.move(500, 700);
  for (let i = 0; i < 60; i += 1) {
    await page.mouse.wheel({ deltaY: 400 + i * 40 });
    await new Promise((resolve) => setTimeout(resolve, 16));
  }
  for (const share of [0.25, 0.5, 0.75, 1]) {
    await page.$eval('#list-scroll', (element, s) => { element.scrollTop = (element.scrollHeight - element.clientHeight) * s; }, share);
    await new Promise((resolve) => setTimeout(resolve, 120));
  }
  const deltas = await page.evaluate(() => { window.frames_.run = false; return window.frames_.deltas.sort((a, b) => a - b); });
  console.log(`longest frame while scrolling: ${deltas[deltas.length - 1].toFixed(1)} ms (${deltas.length} frames, ` +
    `median ${deltas[deltas.length >> 1].toFixed(1)} ms, 95th percentile ${deltas[Math.floor(deltas.length * 0.95)].toFixed(1)} ms)`);
  await until((n) => [...document.querySelectorAll('#list-rows .row:not([hidden])')].pop()?.textContent.startsWith(`+${String(n).padStart(8, '0')}`), records);
  check(true, `scrolled to the end: the last row is +${String(records).padStart(8, '0')}`);

  // Go to a time: the marked row is the one find-time finds.
  const middle = Math.floor(records / 2);
  const rowTime = tool('report', file, '--from', String(middle), '--lines', '1').split('\n').find((l) => l.startsWith('+')).split('\t')[1];
  const time = `${rowTime.slice(0, -3)}999`; // just after that record, so the next record is found
  const wanted = lineOf(tool('find-time', file, time));
  await page.$eval('#go-time input', (input, t) => { input.value = t; }, time);
  await page.$eval('#go-time', (form) => form.requestSubmit());
  await until((n) => document.querySelector('#list').dataset.marked === String(n) &&
    document.querySelector('#list-rows .row.marked') !== null, wanted).catch(() => {});
  check(Number(await attr('#list', 'marked')) === wanted, `go to ${time}: line ${await attr('#list', 'marked')}, find-time ${wanted}`);
  await until(() => !document.querySelector('#word').hidden && document.querySelectorAll('#word-fields tbody tr').length > 0);

  // A click on the timeline brings the list to that point; a deep link by line marks that line.
  const before = await attr('#list', 'first');
  const box = await (await page.$('#timeline')).boundingBox();
  await page.mouse.click(box.x + box.width * 0.9, box.y + 30);
  await until((b) => document.querySelector('#list').dataset.first !== b, before).catch(() => {});
  check(Number(await attr('#list', 'first')) > records * 0.8, `a click at 90% of the timeline shows line ${await attr('#list', 'first')}`);
  await open(`file=${encodeURIComponent(name)}&line=${records - 1000}`);
  check(Number(await attr('#list', 'marked')) === records - 1000 && await page.$('#list-rows .row.marked') !== null,
    `#line=${records - 1000} opens with that line in sight and marked`);

  // A deep link by time marks the same record.
  await open(`file=${encodeURIComponent(name)}&time=${time}`);
  await until(() => document.querySelector('#list-rows .row.marked') !== null);
  check(Number(await attr('#list', 'marked')) === wanted, `#time=${time} marks line ${wanted}`);

  // Find: criteria from the fragment, Next three times from line 1, Count.
  const criteria = ['--sync', 'cmd', '--errors', 'with', '--bus', 'j4'];
  const firstMatch = lineOf(tool('search', file, ...criteria, '--nth', '1'));
  const nth = firstMatch === 1 ? 4 : 3;
  await open(`file=${encodeURIComponent(name)}&line=1&sync=cmd&errors=with&bus=j4`);
  for (let i = 0; i < 3; i += 1) {
    const before = await attr('#list', 'marked');
    await page.click('#find-next');
    await until((b) => document.querySelector('#list').dataset.marked !== b, before);
  }
  const found = Number(await attr('#list', 'marked'));
  const expected = lineOf(tool('search', file, ...criteria, '--nth', String(nth)));
  check(found === expected, `Next ×3 from line 1: line ${found}, qeltool search --nth ${nth}: ${expected}`);
  check(await page.$eval('#list-rows .row.marked', (row) => row.classList.contains('match')), 'the found row is marked as a match');
  await page.click('#find-count');
  await until(() => document.querySelector('#find-result').dataset.count !== undefined);
  const counted = tool('search', file, ...criteria, '--count');
  check(await attr('#find-result', 'count') === counted, `Count ${await attr('#find-result', 'count')}, qeltool ${counted}`);

  // Take out: the matches as CSV, downloaded; one line a match below the heading.
  const downloads = fs.mkdtempSync(`${profile}-downloads-`);
  await (await page.createCDPSession()).send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.select('#export-what', 'matches');
  await page.click('#export');
  let csv = [];
  for (let i = 0; i < 100 && !csv.some((f) => f.endsWith('.csv')); i += 1) {
    await new Promise((resolve) => setTimeout(resolve, 100));
    csv = fs.readdirSync(downloads);
  }
  const csvLines = csv.length ? fs.readFileSync(`${downloads}/${csv[0]}`, 'utf8').trim().split('\n').length - 1 : -1;
  check(String(csvLines) === counted, `matches taken out as CSV (${csv[0]}): ${csvLines} lines`);
  await page.click(`#list-rows .row:nth-child(4)`);
  await new Promise((resolve) => setTimeout(resolve, 500));
  await page.screenshot({ path: `${shots}/recording.png` });

  // Live: records appended while the page is open show within a second or two, followed at the end.
  await page.click('#follow');
  const extra = `${path.dirname(file)}/extra.part`;
  tool('generate', extra, '--records', '5000', '--seed', '11', '--start', '2024-06-01 10:00:21');
  const started = Date.now();
  fs.appendFileSync(file, fs.readFileSync(extra));
  fs.rmSync(extra);
  const grown = records + 5000;
  await until((n) => document.querySelector('#title').dataset.records === String(n) &&
    [...document.querySelectorAll('#list-rows .row:not([hidden])')].pop()?.textContent.startsWith(`+${String(n).padStart(8, '0')}`), grown)
    .catch(() => {});
  const after = Date.now() - started;
  check(Number(await attr('#title', 'records')) === grown, `appended: ${await attr('#title', 'records')} records on the page after ${after} ms (${grown} in the file)`);
  await page.screenshot({ path: `${shots}/live.png` });
  await page.goto(url.split('#')[0]);
  await until((n, text) => [...document.querySelectorAll('#recordings tr[data-name]')].some((row) =>
    row.dataset.name === n && row.cells[2].textContent === text), name, grown.toLocaleString('en-US')).catch(() => {});
  check(await page.$eval(`#recordings tr[data-name="${name}"]`, (row) => row.cells[2].textContent) === grown.toLocaleString('en-US'),
    'the recordings page shows the grown count');

  check(messages.length === 0, `no console messages${messages.length ? `: ${messages.join(' | ')}` : ''}`);
  await page.click('#quit');
  await until(() => !document.querySelector('#stopped').hidden);
} catch (error) {
  failures.push(String(error));
  console.log(`FAIL ${error}`);
  await page.screenshot({ path: `${shots}/failure.png` }).catch(() => {});
}
await browser.close();
console.log(failures.length ? `viewer page check: ${failures.length} failures` : 'viewer page check: all passed');
process.exit(failures.length ? 1 : 0);
