// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's window: builds the page from the game's description,
// wires every event to the game's handlers, repaints after each one, and
// keeps the whole window scaled to the viewport.
//
// As on the desktop: the option buttons act on the press of any pointer and
// any mouse button (MouseDown), and the release selects the button and runs
// MouseUp, wherever it happens and even when the press hid the button; a key
// only selects; "Esci" acts on a click. A run-time error is shown in a
// message box and the game goes on. A page cannot close itself, so "Esci"
// ends the game with a farewell that offers a new one.
import { Board, cssColour, fontFor } from './board.mjs';
import { CuePlayer } from './cues.mjs';
import { loadGame } from './game.mjs';

const $ = (selector) => document.querySelector(selector);

export const game = await loadGame();
export const cuePlayer = new CuePlayer(game);

const d = game.description;
const tpp = d.twipsPerPixel;
const [, , clientWidth, clientHeight] = d.boxes.Client.map((t) => t / tpp);
const canvas = $('#board');
const board = new Board(canvas, d);
// The option group, back to front as the core lists it, so that a later
// button stands in front; the neutral one is for the game alone.
const buttons = d.buttons.map(({ name, caption, face, role, mouseDown, mouseUp }) => {
  const button = Object.assign(document.createElement('button'), { className: 'option', textContent: caption });
  Object.assign(button.dataset, { member: name, role });
  if (mouseDown) Object.assign(button.dataset, { mouseDown, mouseUp });
  button.style.background = cssColour(face);
  if (role === 'neutral') {
    button.tabIndex = -1;
    button.setAttribute('aria-hidden', 'true');
  }
  return button;
});
let held = null; // the button a pointer holds down: { button, pointerId }
let resolution = null; // the pixel ratio the canvas was last sized for, as a media query

// "&Opzioni" shows as "Opzioni" with its access letter underlined.
function accessCaption(element, caption) {
  const at = caption.indexOf('&');
  const letter = caption[at + 1];
  element.replaceChildren(caption.slice(0, at), Object.assign(document.createElement('u'), { textContent: letter }),
    caption.slice(at + 2));
  element.dataset.key = letter.toLowerCase();
}

function build() {
  const root = document.documentElement.style;
  root.setProperty('--light-yellow', cssColour(d.colours.LightYellow));
  root.setProperty('--yellow', cssColour(d.colours.Yellow));
  root.setProperty('--blue', cssColour(d.colours.Blue));
  root.setProperty('--menu-bar', `${d.menuBarHeight}px`);
  root.setProperty('--font-family', `${d.fontFamilies.map((f) => `"${f}"`).join(', ')}, sans-serif`);
  accessCaption($('#opzioni'), d.texts.OptionsMenu);
  accessCaption($('#info'), d.texts.InfoMenu);
  for (const { caption, handler } of d.levels) {
    const item = Object.assign(document.createElement('button'), { textContent: caption });
    item.setAttribute('role', 'menuitem');
    item.dataset.handler = handler;
    $('#levels').append(item);
  }
  for (const item of document.querySelectorAll('[data-text]')) item.textContent = d.texts[item.dataset.text];
  canvas.setAttribute('aria-label', d.texts.Title);
  $('#client').append(...buttons);
  $('#window').style.width = $('#client').style.width = `${clientWidth}px`;
  $('#client').style.height = `${clientHeight}px`;
  canvas.style.width = `${clientWidth}px`;
  canvas.style.height = `${clientHeight}px`;
  for (const button of buttons) {
    const [left, top, width, height] = d.boxes[button.dataset.member].map((t) => t / tpp);
    Object.assign(button.style, { left: `${left}px`, top: `${top}px`, width: `${width}px`, height: `${height}px`,
      font: fontFor(d.fonts.button, d.fontFamilies) });
  }
}

// Brings the page in line with the game's controls and repaints the board.
function refresh() {
  const view = game.view();
  for (const button of buttons) {
    const control = view[button.dataset.member];
    button.hidden = !control.Visible;
    button.classList.toggle('sunken', control.Value || held?.button === button);
  }
  const spoken = (label) => (label.Visible ? label.Caption : '');
  $('#question').textContent = spoken(view.Lbl_Domanda);
  $('#level').textContent = spoken(view.Lbl_Livello);
  board.paint(view);
}

function dispatch(handler) {
  const { error, cues } = game.run(handler);
  for (const cue of cues) cuePlayer.play(cue);
  refresh();
  if (error) {
    const text = d.texts.ErrorMessage.replace('%1', error.number).replace('%2', () => error.message);
    showMessage(d.texts.ErrorTitle, text, true);
  }
}

function showMessage(title, text, isError) {
  const dialog = $('#message');
  $('#message-title').textContent = title;
  $('#message-text').textContent = text.replace(/\r\n?/g, '\n');
  dialog.classList.toggle('error', isError);
  dialog.showModal();
}

// The whole window, menu bar included, as large as the viewport allows with
// its shape kept; the canvas gets one pixel of its own per device pixel.
function fit() {
  const height = d.menuBarHeight + clientHeight;
  const scale = Math.min(innerWidth / clientWidth, innerHeight / height);
  const dpr = devicePixelRatio || 1;
  const snap = (px) => Math.round(px * dpr) / dpr;
  const win = $('#window');
  win.style.transform = `translate(${snap((innerWidth - clientWidth * scale) / 2)}px, ` +
    `${snap((innerHeight - height * scale) / 2)}px) scale(${scale})`;
  // About 9 mm for a finger, 44 CSS pixels, but no further than the gap below the buttons.
  const [, rowTop, , rowHeight] = d.boxes.Opt_Via.map((t) => t / tpp);
  const reach = Math.min(clientHeight - rowTop - rowHeight, (44 / scale - rowHeight) / 2);
  win.style.setProperty('--reach', String(Math.max(0, reach)));
  canvas.width = Math.round(clientWidth * scale * dpr);
  canvas.height = Math.round(clientHeight * scale * dpr);
  refresh();
  // A move to a screen of another pixel ratio need not resize the viewport.
  resolution?.removeEventListener('change', fit);
  resolution = matchMedia(`(resolution: ${dpr}dppx)`);
  resolution.addEventListener('change', fit);
}

function press(button, event) {
  event.preventDefault();
  if (held) return;
  held = { button, pointerId: event.pointerId };
  button.setPointerCapture?.(event.pointerId);
  if (button.dataset.mouseDown) dispatch(button.dataset.mouseDown);
  else refresh();
}

function release(event) {
  if (!held || event.pointerId !== held.pointerId) return;
  const { button } = held;
  held = null;
  const member = button.dataset.member;
  if (button.dataset.mouseUp) {
    game.select(member);
    dispatch(button.dataset.mouseUp);
    return;
  }
  const r = button.getBoundingClientRect();
  const inside = event.clientX >= r.left && event.clientX < r.right && event.clientY >= r.top && event.clientY < r.bottom;
  if (button.dataset.role === 'exit' && event.type === 'pointerup' && event.button === 0 && inside) {
    game.select(member);
    farewell();
  } else {
    refresh();
  }
}

function keySelect(button, event) {
  if ((event.key !== ' ' && event.key !== 'Enter') || event.repeat) return;
  event.preventDefault();
  game.select(button.dataset.member);
  if (button.dataset.role === 'exit') farewell();
  else refresh();
}

function farewell() {
  cuePlayer.stop();
  $('#window').hidden = true;
  $('#farewell').hidden = false;
  $('#again').focus();
}

function newGame() {
  game.newGame();
  $('#farewell').hidden = true;
  $('#window').hidden = false;
  refresh();
}

function openLevels(open) {
  $('#levels').hidden = !open;
  $('#opzioni').setAttribute('aria-expanded', String(open));
  if (open) $('#levels button').focus();
}

function wire() {
  for (const button of buttons) {
    button.addEventListener('pointerdown', (event) => press(button, event));
    button.addEventListener('keydown', (event) => keySelect(button, event));
    button.addEventListener('contextmenu', (event) => event.preventDefault());
  }
  addEventListener('pointerup', release, true);
  addEventListener('pointercancel', release, true);
  for (const type of ['pointerdown', 'pointerup', 'keydown']) addEventListener(type, () => cuePlayer.wake(), true);

  $('#opzioni').addEventListener('click', () => openLevels($('#levels').hidden));
  for (const item of document.querySelectorAll('#levels button')) {
    item.addEventListener('click', () => {
      openLevels(false);
      dispatch(item.dataset.handler);
    });
  }
  $('#levels').addEventListener('keydown', (event) => {
    const items = [...document.querySelectorAll('#levels button')];
    const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    if (step) items[(items.indexOf(document.activeElement) + step + items.length) % items.length].focus();
    if (event.key === 'Escape') openLevels(false);
  });
  addEventListener('pointerdown', (event) => {
    if (!event.target.closest('.menu')) openLevels(false);
  });
  $('#info').addEventListener('click', () => {
    openLevels(false);
    showMessage(d.texts.InfoTitle, d.texts.InfoMessage, false);
  });
  addEventListener('keydown', (event) => {
    if (!event.altKey || $('#window').hidden || $('#message').open) return;
    const entry = [$('#opzioni'), $('#info')].find((e) => e.dataset.key === event.key.toLowerCase());
    if (!entry) return;
    event.preventDefault();
    entry.click();
  });
  $('#again').addEventListener('click', newGame);
  addEventListener('resize', fit);
}

build();
wire();
$('#window').hidden = false;
fit();
// Once the first frame is on the screen: the cues, and the service worker
// that keeps the site for offline play.
function afterFirstFrame() {
  requestAnimationFrame(() => setTimeout(() => {
    cuePlayer.prepare();
    navigator.serviceWorker?.register('sw.js');
  }));
}
if (document.readyState === 'complete') afterFirstFrame();
else addEventListener('load', afterFirstFrame);
