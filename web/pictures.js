// The pictures of the buttons and of the toolbar, drawn in a 16-unit square
// to the same descriptions and shapes as the window's painted icons.
'use strict';

const OstrolenPictures = (() => {
  const green = '#1e9e32';
  const darkGreen = '#0b5e1a';

  const svg = (inner) =>
    `<svg viewBox="0 0 16 16" xmlns="http://www.w3.org/2000/svg" aria-hidden="true" focusable="false">${inner}</svg>`;
  const points = (list) => list.map(([x, y]) => `${x},${y}`).join(' ');

  // A thick green arrow: a quarter bend from `from`, ending in a head at `to`.
  function bentArrow(from, corner, to) {
    const shaft = `M${from[0]} ${from[1]} Q${corner[0]} ${corner[1]} ${to[0]} ${to[1]}`;
    const dx = to[0] - corner[0];
    const dy = to[1] - corner[1];
    const length = Math.hypot(dx, dy) || 1;
    const u = [dx / length, dy / length];
    const n = [-u[1], u[0]];
    const tip = [to[0] + u[0] * 3, to[1] + u[1] * 3];
    const back = [to[0] - u[0], to[1] - u[1]];
    const head = [tip, [back[0] + n[0] * 3.4, back[1] + n[1] * 3.4], [back[0] - n[0] * 3.4, back[1] - n[1] * 3.4]];
    return svg(
      `<path d="${shaft}" fill="none" stroke="${darkGreen}" stroke-width="4.2" stroke-linecap="round"/>` +
        `<path d="${shaft}" fill="none" stroke="${green}" stroke-width="2.6" stroke-linecap="round"/>` +
        `<polygon points="${points(head)}" fill="${green}" stroke="${darkGreen}" stroke-width="0.8"/>`);
  }

  function book() {
    let lines = '';
    for (let y = 8; y <= 12; y += 1.6) {
      lines += `<line x1="2.3" y1="${y - 0.9}" x2="6.5" y2="${y}"/><line x1="8.5" y1="${y}" x2="12.7" y2="${y - 0.9}"/>`;
    }
    return svg(
      `<g stroke="#403020" stroke-width="0.8" fill="#fffbe8">` +
        `<polygon points="1,5 7.5,6.5 7.5,14.5 1,13"/><polygon points="14,5 7.5,6.5 7.5,14.5 14,13"/></g>` +
        `<g stroke="#808080" stroke-width="0.6">${lines}</g>` +
        `<g stroke="#202060" stroke-width="0.6"><polygon points="10.5,1 12,0.2 15.6,7 14.1,7.8" fill="#3050c0"/>` +
        `<polygon points="14.1,7.8 15.6,7 15.6,9.6" fill="#e0c060"/></g>`);
  }

  function disc() {
    return svg(
      `<circle cx="8" cy="8" r="6.5" fill="${green}" stroke="${darkGreen}" stroke-width="0.8"/>` +
        `<g stroke="#fff" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round" fill="none">` +
        `<line x1="4.5" y1="8" x2="11" y2="8"/><polyline points="8.2,5 11.3,8 8.2,11"/></g>`);
  }

  function about() {
    return svg(
      `<rect x="0.8" y="2" width="11.5" height="10" fill="#c89040" stroke="#604010" stroke-width="0.8"/>` +
        `<rect x="2.3" y="3.5" width="8.5" height="7" fill="#90c8f0" stroke="#604010" stroke-width="0.8"/>` +
        `<polygon points="2.3,10.5 5,6.5 7.5,9 9,7.5 10.8,10.5" fill="#309030"/>` +
        `<circle cx="8.8" cy="5.3" r="1" fill="#f0d020"/>` +
        `<g stroke="#303030" stroke-width="0.5"><polygon points="15.6,6.6 14.2,5.2 7.8,11.6 9.2,13" fill="#f0c020"/>` +
        `<polygon points="7.8,11.6 9.2,13 6.6,14.2" fill="#f0d8b0"/></g>`);
  }

  // The stop sign of the common error box.
  function stop() {
    return svg(
      `<circle cx="8" cy="8" r="7.2" fill="#d42020" stroke="#801010" stroke-width="0.6"/>` +
        `<g stroke="#fff" stroke-width="1.9" stroke-linecap="round"><line x1="5" y1="5" x2="11" y2="11"/>` +
        `<line x1="11" y1="5" x2="5" y2="11"/></g>`);
  }

  const pictures = {
    'arrow-down': () => bentArrow([2.5, 3], [11, 2.5], [11, 11]),
    'arrow-up': () => bentArrow([2.5, 13], [11, 13.5], [11, 5]),
    'arrow-right': () => bentArrow([3, 2.5], [3, 10.5], [11.5, 10.5]),
    book,
    disc,
    about,
    stop,
  };
  return { svg: (name) => (pictures[name] ? pictures[name]() : '') };
})();
