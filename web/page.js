// The dialogue of Zorvex in the browser. The engine, the screens, the
// dispatch of the commands and the completion words are the program's own
// C++ compiled to WebAssembly (page_api.cpp); this script moves lines and
// keys between it and the page.
import createZorvex from './zorvex.js';

const HISTORY_KEY = 'zorvex.history';

const transcript = document.getElementById('transcript');
const entry = document.getElementById('entry');
const promptLabel = document.getElementById('prompt');
const input = document.getElementById('line');
const matchesView = document.getElementById('matches');
const ended = document.getElementById('ended');
const restart = document.getElementById('restart');
const copy = document.getElementById('copy');
const announce = document.getElementById('announce');

const encoder = new TextEncoder();
const decoder = new TextDecoder();

let engine;
let prompt = '';
let historyCapacity = 0;
let history = [];
// Where Up and Down are in the history (history.length: the line being
// typed), and that line, kept while older ones are shown.
let recall = 0;
let draft = '';

// Writes `text` as UTF-8 into the engine's input; returns its length in bytes.
function writeInput(text) {
  const room = text.length * 3;
  const at = engine._page_input(room);
  return encoder.encodeInto(text, engine.HEAPU8.subarray(at, at + room)).written;
}

function readOutput() {
  const at = engine._page_output();
  const length = engine._page_output_length();
  return decoder.decode(engine.HEAPU8.subarray(at, at + length));
}

// Shows what one call wrote (see page_api.cpp) at the end of the
// transcript: its text as it stands, a new block where it begins one, and
// the error lines in elements of their own to style them apart. Returns
// how many lines were entered, what a screen reader is to say of the last
// one, and whether the session ended.
function show(output) {
  let block = document.createElement('div');
  transcript.append(block);
  let spoken = '';
  let over = false;
  for (const segment of output.split('\x01')) {
    const tag = segment.charCodeAt(0);
    const text = segment.slice(1);
    if (tag === 0x74) {  // t
      block.append(text);
    } else if (tag === 0x62) {  // b
      block = document.createElement('div');
      transcript.append(block);
      block.append(text);
    } else if (tag === 0x65) {  // e
      const error = document.createElement('span');
      error.className = 'error';
      error.textContent = text;
      block.append(error);
    } else if (tag === 0x78) {  // x
      over = true;
    } else if (tag === 0x73) {  // s
      spoken = text;
    }
  }
  return {entered: engine._page_entered(), spoken, over};
}

function say(text) {
  // A new text node each time, so that a repeated result is announced too.
  announce.textContent = '';
  announce.append(text.trim() === '' ? 'blank' : text);
}

function scrollToPrompt() {
  (entry.hidden ? ended : entry).scrollIntoView({block: 'end'});
}

function endSession() {
  entry.hidden = true;
  matchesView.hidden = true;
  ended.hidden = false;
  say('The session has ended.');
  restart.focus();
}

function startSession() {
  engine._page_start();
  const {over} = show(readOutput());
  input.value = '';
  recall = history.length;
  draft = '';
  if (over) {
    endSession();
    return;
  }
  ended.hidden = true;
  entry.hidden = false;
  input.focus();
  scrollToPrompt();
}

function loadHistory() {
  try {
    const stored = JSON.parse(localStorage.getItem(HISTORY_KEY) || '[]');
    if (Array.isArray(stored)) {
      history = stored.filter((line) => typeof line === 'string' && line !== '');
    }
  } catch {
    history = [];
  }
  history = history.slice(-historyCapacity);
}

// Adds the lines entered to the history, leaving out empty ones and a line
// equal to the one before; only the newest historyCapacity are kept.
function remember(text) {
  const newest = [];
  let end = text.length;
  while (end > 0 && newest.length < historyCapacity) {
    const start = text.lastIndexOf('\n', end - 1) + 1;
    const line = text.slice(start, end).replace(/\r$/, '');
    if (line !== '' && line !== newest[newest.length - 1]) {
      newest.push(line);
    }
    end = start - 1;
  }
  newest.reverse();
  if (newest.length > 0 && newest[0] === history[history.length - 1]) {
    newest.shift();
  }
  history = history.concat(newest).slice(-historyCapacity);
  try {
    localStorage.setItem(HISTORY_KEY, JSON.stringify(history));
  } catch {
    // Storage full or refused: the history lasts for this visit only.
  }
}

// Runs `text` (lines each ended by a line end; the last may lack it) and
// shows what they give. The lines read are added to the history.
function enter(text) {
  const length = writeInput(text);
  const going = engine._page_enter(length) === 1;
  const consumed = engine._page_consumed();
  remember(consumed === length ? text
                               : decoder.decode(encoder.encode(text).subarray(0, consumed)));
  recall = history.length;
  draft = '';
  const {entered, spoken, over} = show(readOutput());
  matchesView.hidden = true;
  if (!going || over) {
    endSession();
    return;
  }
  say(entered > 1 ? `${entered} lines evaluated. ${spoken}` : spoken);
  scrollToPrompt();
}

function complete() {
  const cursor = input.selectionStart ?? input.value.length;
  const before = encoder.encode(input.value.slice(0, cursor)).length;
  const start = engine._page_complete(before, writeInput(input.value));
  if (start === before) {
    return false;  // no word before the cursor: Tab moves on
  }
  const records = readOutput().split('\n');
  const insert = records[0].slice(1);
  const matches = records.filter((record) => record[0] === 'm').map((record) => record.slice(1));
  if (insert !== '') {
    input.setRangeText(insert, cursor, input.selectionEnd ?? cursor, 'end');
    matchesView.hidden = true;
  } else if (matches.length > 1) {
    matchesView.textContent = matches.join('  ');
    matchesView.hidden = false;
    say(matches.join(', '));
  }
  return true;
}

function showRecalled(index) {
  if (recall === history.length) {
    draft = input.value;
  }
  recall = index;
  input.value = recall === history.length ? draft : history[recall];
  input.setSelectionRange(input.value.length, input.value.length);
}

input.addEventListener('keydown', (event) => {
  const plain = !event.altKey && !event.metaKey;
  if (event.key === 'Enter' && plain && !event.ctrlKey && !event.shiftKey) {
    event.preventDefault();
    const line = input.value;
    input.value = '';
    enter(line + '\n');
  } else if (event.key === 'Tab' && plain && !event.ctrlKey && !event.shiftKey) {
    if (complete()) {
      event.preventDefault();
    }
  } else if (event.key === 'ArrowUp' && plain && !event.ctrlKey) {
    event.preventDefault();
    if (recall > 0) {
      showRecalled(recall - 1);
    }
  } else if (event.key === 'ArrowDown' && plain && !event.ctrlKey) {
    event.preventDefault();
    if (recall < history.length) {
      showRecalled(recall + 1);
    }
  } else if (
    (event.key === 'Escape' && plain && !event.ctrlKey) ||
    (event.ctrlKey && plain && !event.shiftKey && (event.key === 'c' || event.key === 'C') &&
      input.selectionStart === input.selectionEnd)
  ) {
    // Ctrl+C with text selected in the line copies it, as everywhere else.
    event.preventDefault();
    input.value = '';
    recall = history.length;
    draft = '';
    matchesView.hidden = true;
  }
});

input.addEventListener('input', () => {
  matchesView.hidden = true;
});

input.addEventListener('paste', (event) => {
  const pasted = event.clipboardData?.getData('text/plain') ?? '';
  if (!pasted.includes('\n')) {
    return;  // part of one line: pasted into it as usual
  }
  event.preventDefault();
  const start = input.selectionStart ?? input.value.length;
  const end = input.selectionEnd ?? start;
  const after = input.value.slice(end);
  const text = input.value.slice(0, start) + pasted;
  const lastEnd = text.lastIndexOf('\n');
  // What follows the last line end stays in the line, as at a terminal.
  const rest = text.slice(lastEnd + 1);
  input.value = '';
  enter(text.slice(0, lastEnd + 1));
  if (!entry.hidden) {
    input.value = rest + after;
    input.setSelectionRange(rest.length, rest.length);
  }
});

entry.addEventListener('submit', (event) => event.preventDefault());

restart.addEventListener('click', startSession);

copy.addEventListener('click', async () => {
  let text = transcript.textContent;
  if (!entry.hidden) {
    text += prompt + input.value;
  }
  try {
    await navigator.clipboard.writeText(text);
    say('Transcript copied.');
  } catch {
    say('The browser did not allow copying.');
  }
});

// The browser runs WebAssembly first from a quick, plain compilation and
// compiles again, optimised and in the background, what runs often. Lines
// of every kind run through a throwaway session once the first prompt
// shows, a few hundred at a time when the page is idle, so that a first
// long paste already runs the optimised engine; the body's data-warm
// attribute says when they have all run.
const WARM_UP_LINES = [
  '1+2*3-4/5', '-8--2+-3*-4', '(a=2.5^3)-a*4/7', 'b=a^2-(a-1)*(a+1)', '2pi+3(4+5)7',
  '|-8*56|/(56^6-789)', '((1+2)*(3-4))/((5-6)*(7+8))^2', '|a-|b-9||*-(3-|4-12|)',
  'sin(30)+cos(60)*tan(45)-cot(20)', 'asin(0.5)+acos(0.25)-atan(3)', 'sqrt(16)/arcsin(1)',
  'rad=1', 'sin(pi/6)+arctan(1)*4+arccos(-1)', 'rad=0', 'sqrt(-4)', 'nosuch(2)+unknown',
  '123456789*987654321/3', '4000000000*4000000000+0.000001', '9999999999^2-99999999*123456789',
  '0.000001/3+0.0000005', '99999999999.999999*2', '17.25^2.5/3^0.5',
];
const WARM_UP_TEXT = (WARM_UP_LINES.join('\n') + '\n').repeat(25);
const WARM_UP_STEPS = 16;
const whenIdle = window.requestIdleCallback ?? setTimeout;

function warmUp(steps = WARM_UP_STEPS) {
  if (steps === 0) {
    document.body.dataset.warm = '';
    return;
  }
  engine._page_warm(writeInput(WARM_UP_TEXT));
  whenIdle(() => warmUp(steps - 1));
}

async function main() {
  try {
    engine = await createZorvex({
      onAbort: () => {
        const failure = document.createElement('div');
        failure.className = 'error';
        failure.textContent = 'zorvex: the engine stopped; reload the page\n';
        transcript.append(failure);
        entry.hidden = true;
      },
    });
  } catch (error) {
    transcript.textContent = `zorvex: the engine could not be loaded: ${error}\n`;
    return;
  }
  const at = engine._page_prompt();
  prompt = decoder.decode(engine.HEAPU8.subarray(at, engine.HEAPU8.indexOf(0, at)));
  promptLabel.textContent = prompt;
  historyCapacity = engine._page_history_capacity();
  loadHistory();
  copy.disabled = false;
  startSession();
  document.body.dataset.ready = String(performance.now());
  whenIdle(() => warmUp());
}

main();
