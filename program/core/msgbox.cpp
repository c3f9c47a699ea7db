#include "program/core/msgbox.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>

#include <cstdio>
#include <utility>

namespace yov {

namespace {

MsgBoxResponder& responder() {
  static MsgBoxResponder r;
  return r;
}

constexpr const char* kCaptions[msgbox::kButtonCount] = {"&Yes",   "&No",     "Yes to &All",
                                                         "No to All", "&Retry", "&Ignore",
                                                         "&O.K.",  "&Cancel"};

}  // namespace

MsgBoxResponder setMsgBoxResponder(MsgBoxResponder r) { return std::exchange(responder(), std::move(r)); }

int32_t ShowMsgBox(std::u16string_view text, int32_t style, std::u16string_view title,
                   int32_t helpId) {
  if (responder()) return responder()(text, style, title, helpId);
  const QString qText = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    std::fprintf(stderr, "%s\n", qText.toUtf8().constData());
    return 0;
  }
  QDialog box;
  box.setWindowTitle(QString::fromUtf16(title.data(), static_cast<qsizetype>(title.size())));
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(new QLabel(qText, &box));
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  int32_t answer = 0;
  for (int i = 0; i < msgbox::kButtonCount; ++i) {
    if ((style & (1 << i)) == 0) continue;
    auto* b = new QPushButton(QString::fromLatin1(kCaptions[i]), &box);
    row->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, &box, [&box, &answer, i] {
      answer = 1 << i;
      box.accept();
    });
  }
  box.exec();
  return answer;
}

}  // namespace yov
