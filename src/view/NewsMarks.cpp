#include "view/NewsMarks.h"

#include "common/Texts.h"
#include "view/ProgramScript.h"

#include <QJsonArray>

namespace {

// The sheet lives in the program's world for as long as the document does.
const QString Sheet = QStringLiteral("window.zeltonNewsMarks");

} // namespace

QString newsMarksScript(const QList<int> &cardIndexes, const QString &cardSelector)
{
    QJsonArray indexes;
    for (const int index : cardIndexes)
        indexes.append(index);
    return QStringLiteral(R"JS(((indexes, text, cardSelector) => {
  const apply = () => {
    const sheet = %1 || (%1 = new CSSStyleSheet());
    if (!document.body)
      return;
    // The cards are boxes of the body; the rest are spacers and the offline mark. The
    // selectors count the body's children, cards and spacers alike.
    const wanted = new Set(indexes);
    const selectors = [];
    let card = 0;
    let child = 0;
    for (const box of document.body.children) {
      ++child;
      if (cardSelector && box.matches(cardSelector) && wanted.has(card++))
        selectors.push(`body > :nth-child(${child})`);
    }
    const rules = selectors.length
      ? `${selectors.join(',\n')} { overflow: visible !important; }
         ${selectors.map((selector) => selector + '::before').join(',\n')} {
           content: ${JSON.stringify(text)}; position: absolute; z-index: 2000; top: -7px; left: 12px;
           padding: 1px 7px; border-radius: 8px; background: #c62828; color: #ffffff;
           font: bold 12px/16px Arial, Tahoma, sans-serif; letter-spacing: 0; box-shadow: 0 1px 2px rgba(0,0,0,.35);
         }`
      : '';
    sheet.replaceSync(rules);
    if (!document.adoptedStyleSheets.includes(sheet))
      document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
  };
  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', apply, { once: true });
  else
    apply();
})()JS")
               .arg(Sheet)
           + scriptValue(indexes) + QStringLiteral(", ") + scriptValue(Texts::NewMark) + QStringLiteral(", ")
           + scriptValue(cardSelector) + QStringLiteral(");");
}

QString countNewsMarksScript()
{
    return QStringLiteral(R"JS((() => {
  if (!document.body)
    return 0;
  let marked = 0;
  for (const box of document.body.children) {
    if (getComputedStyle(box, '::before').content !== 'none')
      ++marked;
  }
  return marked;
})())JS");
}
