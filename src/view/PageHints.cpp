#include "view/PageHints.h"

#include "view/ProgramScript.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

const QString LiftFunction = QStringLiteral("zeltonLiftPageHints");
const QString ScriptName = QStringLiteral("zelton-page-hints");

// Runs before the page's first element.
//
// - The first boxes, the screenful the user sees first, are laid out as they are read.
//   The rest waits outside the document until it is whole and is then laid out once:
//   otherwise every frame walks all the cards read so far, even unstyled ones, which makes
//   a page of n cards cost n squared. A box the parser adds is put aside before the next
//   frame (the observer runs at the end of each piece the parser reads); in the moment
//   between, a style sheet keeps it out of layout. An adjacency chain finds "the boxes after
//   the first ones": it looks back a fixed number of siblings, where :nth-child would count
//   them all.
// - Each of those later cards is laid out and painted only near the screen
//   (content-visibility); one that was shown keeps its size, the others stand in with the
//   mean height of the first cards, so the scroll bar keeps its length while the user
//   scrolls. The first cards stay laid out, so the page never shows, even for a frame,
//   without the text it starts with.
QString hintsScript(const QString &cardSelector)
{
    const QString afterFirstBoxes =
        QStringLiteral("body > ") + QStringLiteral("* + ").repeated(PageHintsBoxesWhileLoading);
    return QStringLiteral(R"JS((() => {
  const card = %4;
  const cardRule = (height) =>
    `%1${card} { content-visibility: auto; contain-intrinsic-size: auto ${height}px; }`;
  const hints = new CSSStyleSheet();
  hints.replaceSync(cardRule(150));
  const loading = new CSSStyleSheet();
  loading.replaceSync('%1* { display: none !important; }');
  document.adoptedStyleSheets = [...document.adoptedStyleSheets, hints, loading];

  // Finding text in skipped cards makes the engine lay them out one match at a time, which
  // on a page of thousands never ends; while the program finds, every card is laid out once.
  // Only a change is applied: a style change ends the engine's find session, so a search that
  // goes on (next, previous) must find the sheets as they were.
  globalThis.%3 = (lifted) => {
    const present = document.adoptedStyleSheets.includes(hints);
    if (present === lifted) {
      const others = document.adoptedStyleSheets.filter((sheet) => sheet !== hints);
      document.adoptedStyleSheets = lifted ? others : [...others, hints];
    }
    return lifted;
  };

  // The boxes after the first ones wait outside the document while the page is read, so
  // that the frames in between do not even walk past them; the parser goes on filling them
  // there. They come back, in their order, once the document is whole.
  const waiting = document.createDocumentFragment();
  let lastShown = null;
  const findLastShown = () => {
    let count = 0;
    for (let box = document.body.firstElementChild; box; box = box.nextElementSibling) {
      if (++count === %2)
        return box;
    }
    return null;
  };
  const putAside = () => {
    if (!document.body)
      return;
    lastShown = lastShown || findLastShown();
    while (lastShown && lastShown.nextSibling)
      waiting.appendChild(lastShown.nextSibling);
  };
  let watched = null;
  const watcher = new MutationObserver(() => {
    if (document.body && watched !== document.body) {
      watcher.disconnect();
      watched = document.body;
      watcher.observe(watched, { childList: true });
    }
    putAside();
  });
  watcher.observe(document, { childList: true, subtree: true });

  document.addEventListener('DOMContentLoaded', () => {
    watcher.disconnect();
    putAside();
    const heights = [];
    for (const box of document.body ? document.body.children : []) {
      if (getComputedStyle(box).display === 'none')
        break;
      if (box.matches(card)) {
        // The stand-in size is that of the content, without the padding.
        const style = getComputedStyle(box);
        heights.push(box.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom));
      }
    }
    if (heights.length)
      hints.replaceSync(cardRule(Math.round(heights.reduce((a, b) => a + b) / heights.length)));
    document.adoptedStyleSheets = document.adoptedStyleSheets.filter((sheet) => sheet !== loading);
    if (lastShown)
      document.body.appendChild(waiting);
  }, { once: true });
})();)JS")
        .arg(afterFirstBoxes)
        .arg(PageHintsBoxesWhileLoading)
        .arg(LiftFunction)
        .arg(scriptValue(cardSelector));
}

} // namespace

void liftPageHints(QWebEnginePage &page, bool lifted, const std::function<void()> &done)
{
    // A page that is still being read has no function yet: it is answered all the same.
    page.runJavaScript(QStringLiteral("typeof %1 === 'function' && %1(%2)").arg(LiftFunction, lifted ? u"true" : u"false"),
                       QWebEngineScript::ApplicationWorld, [done](const QVariant &) {
                           if (done)
                               done();
                       });
}

void installPageHints(QWebEngineProfile &profile, const QString &cardSelector)
{
    const auto installed = profile.scripts()->find(ScriptName);
    for (const QWebEngineScript &old : installed)
        profile.scripts()->remove(old);
    if (cardSelector.isEmpty())
        return;
    profile.scripts()->insert(
        programScript(ScriptName, QWebEngineScript::DocumentCreation, false, hintsScript(cardSelector)));
}
