// The notes panel of the entry form: one rich-text file per page beside the program.
#include <QFile>
#include <QTextBrowser>

#include "core/text/rtf_reader.h"
#include "gui/entry/survey_data_form.h"

namespace velmora::gui {

namespace {

constexpr qint64 kLargestNotes = 4 * 1024 * 1024;  // far above any page's notes

}  // namespace

// "TableNotesVM-" + the page as two digits + ".rtf". The panel is emptied first; a file that is
// missing, unreadable or not rich text leaves it empty, without a message.
void TdlgSurveyDataForm::LoadNotes(int page) {
  notes_->clear();
  notesPage_ = page;
  QFile file(NotesFolder + QString("TableNotesVM-%1.rtf").arg(page, 2, 10, QLatin1Char('0')));
  if (file.size() > kLargestNotes || !file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  const std::string html = text::RtfToHtml(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!html.empty()) notes_->setHtml(QString::fromStdString(html));
}

}  // namespace velmora::gui
