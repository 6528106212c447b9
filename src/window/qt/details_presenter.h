#pragma once

#include "window/qt/preview_decoder.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>
#include <utility>

class AppController;
class CategoryTableModel;
class DetailsPane;
struct PackageDetails;

// Fills the details pane for the shown table's current row: the texts at
// once, the preview when it is decoded. Only the last few pictures are
// kept, and one that comes for a row no longer shown is kept, not shown.
class DetailsPresenter final : public QObject {
  Q_OBJECT

public:
  // `shownRow` tells the shown tab's model and the list position of its
  // current row (-1 for none).
  DetailsPresenter(AppController &controller, DetailsPane *pane,
                   std::function<std::pair<CategoryTableModel *, int>()> shownRow, QObject *parent);

  // The shown row or its package changed: shown again once the loop is idle.
  void schedule();
  // The files may have changed: the pictures kept are decoded again.
  void forgetPictures();

  PreviewDecoder *decoder() const { return decoder_; }
  static constexpr std::size_t kKeptPictures = 6;

signals:
  // The pane shows the picture or the reason there is none.
  void previewShown();

private:
  void update();
  void showDetails(const PackageDetails &details);
  void showPreview(const PackageDetails &details);
  void takeResult(const PreviewResult &result);
  void showResult(const PreviewResult &result);
  // The side to decode for: the pane's width in pixels, within bounds.
  std::uint32_t wantedSide() const;

  AppController &controller_;
  DetailsPane *pane_;
  std::function<std::pair<CategoryTableModel *, int>()> shownRow_;
  PreviewDecoder *decoder_;
  QTimer timer_;
  std::optional<PreviewRequest> wanted_;
  std::deque<PreviewResult> kept_; // the newest last
};
