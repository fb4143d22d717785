#include "view/PagePlace.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The parts both scripts share: the boxes of the page in their order, and what tells one
// box's content from another's (its text and its pictures, not its styles, which change with
// the font size and the look).
const QString Boxes = QStringLiteral(R"JS(
  const boxes = () => (document.body ? Array.from(document.body.children) : []);
  const contentOf = (box) =>
    box.textContent + '\u0001' + Array.from(box.querySelectorAll('img'), (img) => img.getAttribute('src')).join('\u0001');
  const isBlank = (box) => box.textContent.trim() === '' && !box.querySelector('img');
)JS");

} // namespace

QString readPlaceScript()
{
    return QStringLiteral("(() => {") + Boxes + QStringLiteral(R"JS(
  const all = boxes();
  if (!all.length)
    return null;
  // A reader at the very top stays there, and sees what came in above the first card.
  if (window.scrollY === 0)
    return { y: 0, content: '', occurrence: 0, offset: 0 };
  // The boxes stand one below the other: the first whose bottom is below the view's top.
  let low = 0;
  let high = all.length - 1;
  while (low < high) {
    const middle = (low + high) >> 1;
    if (all[middle].getBoundingClientRect().bottom > 0)
      high = middle;
    else
      low = middle + 1;
  }
  let index = low;
  while (index < all.length && isBlank(all[index]))
    ++index;
  const place = { y: window.scrollY, content: '', occurrence: 0, offset: 0 };
  if (index === all.length)
    return place;
  place.content = contentOf(all[index]);
  for (let before = 0; before < index; ++before) {
    if (contentOf(all[before]) === place.content)
      ++place.occurrence;
  }
  place.offset = -all[index].getBoundingClientRect().top;
  return place;
})())JS");
}

QString restorePlaceScript(const QVariant &place)
{
    const QByteArray json = QJsonDocument(QJsonObject::fromVariantMap(place.toMap())).toJson(QJsonDocument::Compact);
    return QStringLiteral("((place) => {") + Boxes + QStringLiteral(R"JS(
  const findBox = () => {
    if (!place.content)
      return null;
    let seen = 0;
    for (const box of boxes()) {
      if (contentOf(box) === place.content && seen++ === place.occurrence)
        return box;
    }
    return null;
  };
  const restore = () => {
    const box = findBox();
    const wanted = () => {
      if (!box)
        return place.y;
      const bounds = box.getBoundingClientRect();
      return window.scrollY + bounds.top + Math.min(place.offset, bounds.height);
    };
    // Boxes out of sight are laid out only once they come near the view, and then take
    // their real height, which moves the box below them: the offset is set again each frame
    // until the box stays where it belongs.
    let frames = 0;
    let still = 0;
    // The user's own scrolling ends it at once.
    const stop = () => { frames = Infinity; };
    for (const type of ['wheel', 'keydown', 'mousedown', 'touchstart'])
      window.addEventListener(type, stop, { once: true, capture: true });
    const settle = () => {
      const bottom = document.scrollingElement.scrollHeight - window.innerHeight;
      const target = Math.max(0, Math.min(Math.round(wanted()), bottom));
      if (Math.abs(window.scrollY - target) >= 1) {
        window.scrollTo(0, target);
        still = 0;
      } else {
        ++still;
      }
      if (still < 3 && ++frames < 120)
        requestAnimationFrame(settle);
    };
    settle();
  };
  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', restore, { once: true });
  else
    restore();
})()JS") + QString::fromUtf8(json) + QStringLiteral(");");
}
