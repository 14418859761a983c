// SPDX-License-Identifier: GPL-3.0-or-later
// Says in words why the game cannot start, where the page would stay blank:
// a browser without modules or WebAssembly, a module the host sends with a
// type the browser refuses, WebAssembly that a security policy forbids. A
// plain script in old JavaScript, so that it runs where the game cannot, and
// deferred, so that the first paint does not wait for it. Once the game's
// window shows, it has nothing more to say.
(function () {
  var shown = false;

  function add(parent, tag, text) {
    var element = document.createElement(tag);
    element.textContent = text;
    parent.appendChild(element);
    return element;
  }

  function fail(detail) {
    var window_ = document.getElementById('window');
    if (shown || (window_ && !window_.hidden)) return;
    shown = true;
    var box = document.createElement('div');
    box.id = 'failed';
    box.setAttribute('role', 'alert');
    box.style.cssText = 'position:fixed;top:0;left:0;right:0;bottom:0;overflow:auto;padding:1em 1.5em;' +
      'background:#ffffc0;color:#000;font:16px/1.5 sans-serif;user-select:text;-webkit-user-select:text';
    add(box, 'h1', 'La navicella non è potuta partire').style.fontSize = '1.5em';
    add(box, 'p', 'Questo browser non è riuscito ad avviare il gioco. Chi cura il sito o i computer della ' +
      'scuola può controllare che:');
    var list = add(box, 'ul', '');
    add(list, 'li', 'il browser sia aggiornato: servono i moduli JavaScript e WebAssembly (Chrome o Edge 97, ' +
      'Firefox 102, Safari 16 o successivi);');
    add(list, 'li', 'il server invii i file .js con il tipo text/javascript (o application/javascript);');
    add(list, 'li', "l'intestazione Content-Security-Policy del server, se c'è, permetta 'wasm-unsafe-eval' " +
      'in script-src.');
    add(box, 'p', 'Dettaglio: ' + detail).style.fontSize = '0.85em';
    document.body.appendChild(box);
    // Should the game start all the same, the message gives way to it.
    if (window_ && window.MutationObserver) {
      new MutationObserver(function () { if (!window_.hidden) box.remove(); }).observe(window_, { attributes: true });
    }
  }

  var game = document.querySelector('script[type="module"]');
  if (!game || !('noModule' in game)) fail('il browser non carica i moduli JavaScript.');
  else if (typeof WebAssembly !== 'object') fail('il browser non esegue WebAssembly.');
  else game.addEventListener('error', function () { fail(game.src + ' non è stato accettato come modulo.'); });
  window.addEventListener('error', function (event) { fail(event.message || String(event.error)); });
  window.addEventListener('unhandledrejection', function (event) { fail(String(event.reason)); });
})();
