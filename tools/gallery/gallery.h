#pragma once
// The window gallery: renders the program's windows and dialogs offscreen in their typical states
// and writes one PNG per state. Each area contributes one function; main() calls them all.

#include <QString>
#include <QWidget>

#include "core/prompts/user_prompts.h"
#include "core/session/session.h"

namespace velmora::gallery {

// Everything a renderer needs: an open session on a database with generated records, and the
// folder the pictures go to.
struct GalleryContext {
  session::DatabaseSession& session;
  UserPrompts& prompts;
  QString outputFolder;
  int written = 0;
};

// Saves the widget (shown offscreen, events processed) as <outputFolder>/<name>.png.
void Snap(GalleryContext& ctx, QWidget& widget, const QString& name);

// One function per area; each renders its windows in their typical states.
void RenderMainWindow(GalleryContext& ctx);       // main window (list shown / picture), About box
void RenderRecordList(GalleryContext& ctx);       // delete dialog, column chooser
void RenderSettingsDialogs(GalleryContext& ctx);  // settings dialog, progress windows, question dialog
void RenderEntryForm(GalleryContext& ctx);        // entry form pages, pickers, code list, error list
void RenderCheckDialog(GalleryContext& ctx);      // check dialog at rest, running, paused
void RenderExchange(GalleryContext& ctx);         // package boxes, batch import and CSV import dialogs
void RenderGroups(GalleryContext& ctx);           // group list, item dialog (sorted too), input box
void RenderSummary(GalleryContext& ctx);          // summary dialog, its two-line progress during a run
void RenderSearch(GalleryContext& ctx);           // both searches, the indicator picker, locate, result list
void RenderRecordImport(GalleryContext& ctx);     // the record-by-record import's question per failing record
void RenderPrint(GalleryContext& ctx);            // print progress, the printed form rendered by LibreOffice
void RenderExports(GalleryContext& ctx);          // data list dialog at rest and with a range
void RenderReview(GalleryContext& ctx);           // review dialog, result window with the plot, roster page

}  // namespace velmora::gallery
