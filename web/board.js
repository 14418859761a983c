// SPDX-License-Identifier: GPL-3.0-or-later
// The board: paints the lines, shapes and labels of the game's controls on a
// canvas, back to front in the window's stacking order, as the desktop board
// does, at the canvas's own resolution (device pixels), so that it stays
// sharp at any zoom or pixel ratio.
//
// In its high-contrast look (highContrast) every colour of the game is drawn
// in its shade of the description's second colour set, and the trail, the
// segments of the game's red, is drawn wider; the controls stay the same.
//
// Every paint ends with a "painted" event on the canvas; benchmarks time the
// page's response by it.

export function cssColour(colour) {
  return `rgb(${colour & 0xff}, ${(colour >> 8) & 0xff}, ${(colour >> 16) & 0xff})`;
}

// One of the description's fonts in CSS, in its families or any sans-serif.
export function fontFor({ pixels, bold }, families) {
  return `${bold ? 'bold ' : ''}${pixels}px ${families.map((f) => `"${f}"`).join(', ')}, sans-serif`;
}

export class Board {
  #canvas;
  #d;
  #fonts;
  #shades;
  highContrast = false;

  constructor(canvas, description) {
    this.#canvas = canvas;
    this.#d = description;
    const { colours, contrastColours } = description;
    this.#shades = new Map(Object.keys(colours).map((name) => [colours[name], contrastColours[name]]));
    this.#fonts = Object.fromEntries(description.labels.map((name) =>
      [name, fontFor(description.fonts[name], description.fontFamilies)]));
  }

  paint(view) {
    const canvas = this.#canvas;
    const ctx = canvas.getContext('2d');
    const [, , width, height] = this.#d.boxes.Client;
    const tpp = this.#d.twipsPerPixel;
    ctx.setTransform(canvas.width / (width / tpp), 0, 0, canvas.height / (height / tpp), 0, 0);
    ctx.fillStyle = this.#colour(this.#d.colours.LightYellow);
    ctx.fillRect(0, 0, width / tpp, height / tpp);

    // A step of the paint order names a line array and a range of it, a label or a shape.
    for (const [name, first, last] of this.#d.paintOrder) {
      if (Array.isArray(view[name])) view[name].slice(first, last + 1).forEach((line) => this.#line(ctx, line));
      else if (name in this.#fonts) this.#label(ctx, view, name);
      else this.#shape(ctx, view[name]);
    }
    canvas.dispatchEvent(new Event('painted', { bubbles: true }));
  }

  #colour(colour) {
    return cssColour(this.highContrast ? this.#shades.get(colour) ?? colour : colour);
  }

  // A 3-pixel line covers the pixel its end rounds to and one on each side;
  // a line whose ends coincide shows nothing, which is how the trail is cleared.
  #line(ctx, line) {
    if (!line.Visible || (line.X1 === line.X2 && line.Y1 === line.Y2)) return;
    const tpp = this.#d.twipsPerPixel;
    const snap = (twips) => Math.round(twips / tpp) + 0.5;
    ctx.strokeStyle = this.#colour(line.BorderColor);
    const trail = this.highContrast && line.BorderColor === this.#d.colours.Red;
    ctx.lineWidth = trail ? this.#d.contrastTrailWidth : this.#d.lineWidth;
    ctx.lineCap = 'round';
    ctx.beginPath();
    ctx.moveTo(snap(line.X1), snap(line.Y1));
    ctx.lineTo(snap(line.X2), snap(line.Y2));
    ctx.stroke();
  }

  // The largest circle that fits the box, centred, its outline inside the box
  // and its solid fill hiding what lies under it.
  #shape(ctx, shape) {
    if (!shape.Visible) return;
    const tpp = this.#d.twipsPerPixel;
    const w = shape.Width / tpp;
    const h = shape.Height / tpp;
    const width = this.#d.lineWidth;
    ctx.beginPath();
    ctx.arc(shape.Left / tpp + w / 2, shape.Top / tpp + h / 2, (Math.min(w, h) - width) / 2, 0, 2 * Math.PI);
    ctx.fillStyle = this.#colour(shape.FillColor);
    ctx.fill();
    ctx.strokeStyle = this.#colour(shape.BorderColor);
    ctx.lineWidth = width;
    ctx.stroke();
  }

  // A label has no background: its text is centred in its box, wraps at the
  // box's width, and what does not fit is cut off.
  #label(ctx, view, name) {
    const label = view[name];
    if (!label.Visible || !label.Caption) return;
    const tpp = this.#d.twipsPerPixel;
    const [left, top, width, height] = this.#d.boxes[name].map((t) => t / tpp);
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, width, height);
    ctx.clip();
    ctx.font = this.#fonts[name];
    ctx.fillStyle = this.#colour(this.#d.colours.Blue);
    ctx.textAlign = 'center';
    ctx.textBaseline = 'top';
    const metrics = ctx.measureText(label.Caption);
    const lineHeight = Math.ceil(metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent);
    wrap(ctx, label.Caption, width).forEach((text, i) => {
      ctx.fillText(text, left + width / 2, top + i * lineHeight);
    });
    ctx.restore();
  }
}

function wrap(ctx, text, width) {
  const lines = [];
  let current = '';
  for (const word of text.split(' ')) {
    const candidate = current ? `${current} ${word}` : word;
    if (current && ctx.measureText(candidate).width > width) {
      lines.push(current);
      current = word;
    } else {
      current = candidate;
    }
  }
  lines.push(current);
  return lines;
}
