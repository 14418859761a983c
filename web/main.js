// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's window: builds the page from the game's description,
// wires every event to the game's handlers, repaints after each one, and
// keeps the whole window scaled to the viewport.
//
// As on the desktop: the option buttons act on the press of any pointer and
// any mouse button (MouseDown), and the release selects the button and runs
// MouseUp, wherever it happens and even when the press hid the button; "Esci"
// acts on a click. Keys follow the core's key rule: Space or Enter on a
// focused button of the round presses it and its release releases it, as a
// pointer would (the desktop only selects it), and on "Esci" counts as its
// click. A run-time error is shown in a message box and the game goes on. A
// page cannot close itself, so "Esci" ends the game with a farewell that
// offers a new one.
//
// The high-contrast board is the page's alternative to the game's own
// colours: on where the system asks for more contrast or forces its own
// colours, and as the switch beside the menu bar has it once pressed. The
// choice lasts for the visit: the tab's session storage forgets it with the
// tab, and where a page may not store it is kept until the page is left.
//
// Where the window is too small for a finger to find the buttons in their
// places (an upright phone), the board keeps its drawing and the buttons
// move below it, as large as the free space allows.
import { Board, cssColour, fontFor } from './board.js';
import { CuePlayer } from './cues.js';
import { loadGame } from './game.js';

const $ = (selector) => document.querySelector(selector);
const Finger = 46; // CSS pixels: 44 (about 9 mm), the least a tap should have, and one to spare each side
const Gap = 8; // CSS pixels between the buttons moved below the board
// Where the buttons go below the board: [column, row] in a wide and in an
// upright viewport, in the desktop's order from left to right.
const Dock = {
  wide: { Opt_Pulisci: [0, 0], Opt_Sinistra: [1, 0], Opt_Via: [2, 0], Opt_Destra: [3, 0], Opt_Esci: [4, 0] },
  upright: { Opt_Sinistra: [0, 0], Opt_Via: [1, 0], Opt_Destra: [2, 0], Opt_Pulisci: [0, 1], Opt_Esci: [2, 1] },
};

export const game = await loadGame();
export const cuePlayer = new CuePlayer(game);

const d = game.description;
const tpp = d.twipsPerPixel;
const [, , clientWidth, clientHeight] = d.boxes.Client.map((t) => t / tpp);
const canvas = $('#board');
const board = new Board(canvas, d);
// The option group, back to front as the core lists it, so that a later
// button stands in front; the neutral one is for the game alone.
const buttons = d.buttons.map(({ name, caption, face, role, key, mouseDown, mouseUp }) => {
  const button = Object.assign(document.createElement('button'), { className: 'option', textContent: caption });
  Object.assign(button.dataset, { member: name, role, keyAction: key });
  if (mouseDown) Object.assign(button.dataset, { mouseDown, mouseUp });
  button.style.background = cssColour(face);
  if (role === 'neutral') {
    button.tabIndex = -1;
    button.setAttribute('aria-hidden', 'true');
  }
  return button;
});
const systemContrast = matchMedia('(prefers-contrast: more), (forced-colors: active)');
const ContrastKey = 'navicella-contrast';
let contrastChoice = (() => {
  try {
    return sessionStorage.getItem(ContrastKey);
  } catch {
    return null;
  }
})();
let held = null; // the button held down: { button, pointerId } or { button, key }
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
}

// Brings the page in line with the game's controls and repaints the board.
function refresh() {
  const view = game.view();
  const focused = document.activeElement;
  for (const button of buttons) {
    const control = view[button.dataset.member];
    button.hidden = !control.Visible;
    button.classList.toggle('sunken', control.Value || held?.button === button);
  }
  // A key that hides its own button leaves the keyboard where the round goes
  // on: on "Sinistra" when it starts, on "Via per iniziare" when it ends.
  if (focused?.classList.contains('option') && focused.hidden) {
    buttons.find((b) => ['Opt_Via', 'Opt_Sinistra'].includes(b.dataset.member) && !b.hidden)?.focus();
  }
  const spoken = (label) => (label.Visible ? label.Caption : '');
  $('#question').textContent = spoken(view.Lbl_Domanda);
  $('#level').textContent = spoken(view.Lbl_Livello);
  board.paint(view);
}

function showContrast() {
  const on = contrastChoice ? contrastChoice === 'on' : systemContrast.matches;
  board.highContrast = on;
  $('#contrast').setAttribute('aria-pressed', String(on));
}

function chooseContrast() {
  contrastChoice = board.highContrast ? 'off' : 'on';
  try {
    sessionStorage.setItem(ContrastKey, contrastChoice);
  } catch {
    // Storage refused (a frame of another site may be): the choice stays in memory.
  }
  showContrast();
  refresh();
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
// its shape kept, the buttons in their places; or, where a finger could not
// tap them so, the board as large as leaves room below it for the buttons
// and a menu bar of a finger's height. The canvas gets one pixel of its own
// per device pixel.
function fit() {
  const [, rowTop, , rowHeight] = d.boxes.Opt_Via.map((t) => t / tpp);
  const below = clientHeight - rowTop - rowHeight;
  let scale = Math.min(innerWidth / clientWidth, innerHeight / (d.menuBarHeight + clientHeight));
  const docked = scale * (rowHeight + 2 * below) < Finger;
  let bar = d.menuBarHeight;
  let dock = null;
  if (docked) {
    const places = innerHeight > innerWidth ? Dock.upright : Dock.wide;
    const columns = Math.max(...Object.values(places).map(([c]) => c)) + 1;
    const rows = Math.max(...Object.values(places).map(([, r]) => r)) + 1;
    const least = rows * (Finger + 12) + (rows + 1) * Gap;
    scale = Math.max(0.1, Math.min(innerWidth / clientWidth, (innerHeight - Finger - least) / clientHeight));
    const rowPx = Math.min(120, (innerHeight - Finger - clientHeight * scale - (rows + 1) * Gap) / rows);
    const columnPx = (innerWidth - (columns + 1) * Gap) / columns;
    dock = { places, rowPx, columnPx, height: rows * rowPx + (rows + 1) * Gap,
      font: Math.max(14, Math.min(24, rowPx / 3.5, columnPx / 5.6)) };
    bar = Finger / scale;
  }
  const width = docked ? innerWidth / scale : clientWidth;
  const height = bar + clientHeight + (dock ? dock.height / scale : 0);
  const dpr = devicePixelRatio || 1;
  const snap = (px) => Math.round(px * dpr) / dpr;
  const win = $('#window');
  win.classList.toggle('docked', docked);
  win.style.transform = `translate(${snap((innerWidth - width * scale) / 2)}px, ` +
    `${snap((innerHeight - height * scale) / 2)}px) scale(${scale})`;
  win.style.width = `${width}px`;
  win.style.setProperty('--scale', String(scale));
  win.style.setProperty('--menu-bar', `${bar}px`);
  win.style.setProperty('--bar-font', `${docked ? 18 / scale : 12}px`);
  const client = $('#client');
  client.style.width = `${width}px`;
  client.style.height = `${height - bar}px`;
  canvas.style.left = `${(width - clientWidth) / 2}px`;
  for (const button of buttons) {
    const member = button.dataset.member;
    let box = d.boxes[member].map((t) => t / tpp);
    let font = fontFor(d.fonts.button, d.fontFamilies);
    if (dock) {
      const [column, row] = dock.places[member] ?? dock.places.Opt_Esci; // Option1 stays behind "Esci"
      const px = [Gap + column * (dock.columnPx + Gap), clientHeight * scale + Gap + row * (dock.rowPx + Gap),
        dock.columnPx, dock.rowPx];
      box = px.map((v) => v / scale);
      font = fontFor({ pixels: dock.font / scale, bold: true }, d.fontFamilies);
    }
    const [left, top, w, h] = box;
    Object.assign(button.style, { left: `${left}px`, top: `${top}px`, width: `${w}px`, height: `${h}px`, font });
  }
  canvas.width = Math.round(clientWidth * scale * dpr);
  canvas.height = Math.round(clientHeight * scale * dpr);
  refresh();
  // A move to a screen of another pixel ratio need not resize the viewport.
  resolution?.removeEventListener('change', fit);
  resolution = matchMedia(`(resolution: ${dpr}dppx)`);
  resolution.addEventListener('change', fit);
}

// A press of a pointer or of a key: the button's MouseDown, if it has one.
function hold(button, by) {
  held = { button, ...by };
  if (button.dataset.mouseDown) dispatch(button.dataset.mouseDown);
  else refresh();
}

function press(button, event) {
  event.preventDefault();
  if (held) return;
  button.setPointerCapture?.(event.pointerId);
  hold(button, { pointerId: event.pointerId });
}

function release(event) {
  if (!held || (event.type === 'keyup' ? event.key !== held.key : event.pointerId !== held.pointerId)) return;
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

function keyPress(button, event) {
  if (!d.keys.includes(event.key === ' ' ? 'Space' : event.key)) return;
  event.preventDefault();
  if (event.repeat || held) return;
  const action = button.dataset.keyAction;
  if (action === 'pressAndRelease') return hold(button, { key: event.key });
  game.select(button.dataset.member);
  if (action === 'click') farewell();
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
  $('[data-member="Opt_Via"]').focus();
}

function openLevels(open) {
  if (!open && $('#levels').contains(document.activeElement)) $('#opzioni').focus();
  $('#levels').hidden = !open;
  $('#opzioni').setAttribute('aria-expanded', String(open));
  if (open) $('#levels button').focus();
}

function wire() {
  for (const button of buttons) {
    button.addEventListener('pointerdown', (event) => press(button, event));
    button.addEventListener('keydown', (event) => keyPress(button, event));
    button.addEventListener('contextmenu', (event) => event.preventDefault());
  }
  addEventListener('pointerup', release, true);
  addEventListener('pointercancel', release, true);
  addEventListener('keyup', release, true);
  // A key let go while the page had no focus never reports its release.
  addEventListener('blur', () => held?.key && release(new KeyboardEvent('keyup', { key: held.key })));
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
  $('#contrast').addEventListener('click', chooseContrast);
  systemContrast.addEventListener('change', () => {
    showContrast();
    refresh();
  });
  addEventListener('resize', fit);
}

build();
showContrast();
wire();
fit(); // while the window is hidden, so that reading the viewport's size lays nothing out
$('#window').hidden = false;
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
