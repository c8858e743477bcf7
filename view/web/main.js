// The page's start: the fragment names a recording (its page) or none (the folder's recordings),
// and a fragment changed by hand is followed. Quit stops the server.

import { postQuit } from './api.js';
import { FolderPage } from './folder.js';
import { readFragment } from './fragment.js';
import { RecordingPage } from './recording.js';

const $ = (id) => document.getElementById(id);

function status(text, isError = false) {
  const element = $('status');
  element.textContent = text;
  element.classList.toggle('error', isError);
}

function showError(error) {
  status(error.message || String(error), true);
}

const folder = new FolderPage(
  { name: $('folder-name'), body: $('recordings').tBodies[0], empty: $('folder-empty') },
  { onOpen: (name) => { location.hash = `file=${encodeURIComponent(name)}`; }, onError: showError });
const recording = new RecordingPage({ onStatus: (text) => status(text), onError: showError });

async function route() {
  const state = readFragment();
  if (!state.file) {
    recording.close();
    $('recording-page').hidden = true;
    $('folder-page').hidden = false;
    $('title').textContent = '';
    $('live').hidden = true;
    folder.start();
    return;
  }
  folder.stop();
  $('folder-page').hidden = true;
  $('recording-page').hidden = false;
  try {
    if (recording.name === state.file) recording.apply(state);
    else await recording.open(state);
    document.body.dataset.ready = 'recording';
  } catch (error) {
    showError(error);
  }
}

$('quit').addEventListener('click', async () => {
  try {
    await postQuit();
    recording.close();
    folder.stop();
    document.body.classList.add('is-stopped');
    $('stopped').hidden = false;
  } catch (error) {
    showError(error);
  }
});

window.addEventListener('hashchange', route);
route();
