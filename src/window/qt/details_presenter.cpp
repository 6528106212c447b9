#include "window/qt/details_presenter.h"

#include "app/app_controller.h"
#include "window/details_texts.h"
#include "window/move_texts.h"
#include "window/needs_texts.h"
#include "window/qt/category_table_model.h"
#include "window/qt/details_pane.h"
#include "window/qt/display_text.h"
#include "window/qt/picture_view.h"

#include <QWindow>

#include <algorithm>

namespace {

QString joined(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines)
    text += (text.empty() ? "" : "\n") + line;
  return displayText(text);
}

} // namespace

DetailsPresenter::DetailsPresenter(AppController &controller, DetailsPane *pane,
                                   std::function<std::pair<CategoryTableModel *, int>()> shownRow, QObject *parent)
    : QObject(parent), controller_(controller), pane_(pane), shownRow_(std::move(shownRow)),
      decoder_(new PreviewDecoder(this)) {
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &DetailsPresenter::update);
  connect(decoder_, &PreviewDecoder::decoded, this, &DetailsPresenter::takeResult);
}

void DetailsPresenter::schedule() {
  if (!timer_.isActive())
    timer_.start();
}

void DetailsPresenter::forgetPictures() { kept_.clear(); }

void DetailsPresenter::update() {
  // A hidden pane reads nothing; it is filled when shown.
  if (!pane_->isVisible())
    return;
  const auto [model, row] = shownRow_();
  const std::optional<PackageDetails> details =
      model && controller_.hasCache() ? controller_.detailsOfRow(model, row) : std::nullopt;
  wanted_.reset();
  if (!details) {
    pane_->clear();
    return;
  }
  showDetails(*details);
}

void DetailsPresenter::showDetails(const PackageDetails &details) {
  if (details.map) {
    std::string byline;
    if (details.summary && !details.summary->author.empty())
      byline = "by " + details.summary->author;
    if (details.summary) {
      const std::string players = playersText(details.summary->minPlayers, details.summary->maxPlayers);
      byline += (byline.empty() || players.empty() ? "" : " · ") + players;
    }
    pane_->setMap(displayText(mapHeading(details)), displayText(byline),
                  details.summary ? displayText(details.summary->description) : QString());
    showPreview(details);
  } else {
    pane_->setMap({}, {}, {});
  }
  pane_->setField(DetailsPane::RealName, displayText(details.utName));
  pane_->setField(DetailsPane::CacheName, displayText(details.cacheName));
  pane_->setField(DetailsPane::Size, details.size ? QString::fromStdString(formatByteSize(*details.size)) : QString());
  std::vector<std::string> state = conditionLines(details);
  if (!details.summaryProblem.empty())
    state.push_back("Its summary is read in part: " + details.summaryProblem);
  pane_->setField(DetailsPane::State, joined(state));
  pane_->setField(DetailsPane::Needs,
                  details.needs ? displayText(needsSummary(*details.needs, controller_.lists())) : QString());
  pane_->setField(DetailsPane::NeededBy,
                  details.neededBy ? QString::fromStdString(neededByText(*details.neededBy)) : QString());
}

void DetailsPresenter::showPreview(const PackageDetails &details) {
  if (!details.preview) {
    pane_->picture()->setText(QStringLiteral("No preview"), displayText(noPreviewText(details.noPreview)));
    emit previewShown();
    return;
  }
  wanted_ = PreviewRequest{*details.preview, wantedSide()};
  const auto kept = std::find_if(kept_.begin(), kept_.end(),
                                 [this](const PreviewResult &result) { return result.request == *wanted_; });
  if (kept != kept_.end()) {
    showResult(*kept);
    return;
  }
  pane_->picture()->setText(QStringLiteral("Loading preview…"));
  decoder_->request(*wanted_);
}

std::uint32_t DetailsPresenter::wantedSide() const {
  const double ratio = pane_->devicePixelRatioF();
  const auto side = static_cast<std::uint32_t>(pane_->viewport()->width() * ratio);
  return std::clamp<std::uint32_t>(side, 64, kMaxPictureSide);
}

void DetailsPresenter::takeResult(const PreviewResult &result) {
  kept_.push_back(result);
  if (kept_.size() > kKeptPictures)
    kept_.pop_front();
  if (wanted_ && result.request == *wanted_)
    showResult(result);
}

void DetailsPresenter::showResult(const PreviewResult &result) {
  if (result.picture.isNull())
    pane_->picture()->setText(QStringLiteral("No preview"), displayText(noPreviewText(result.problem.toStdString())));
  else
    pane_->picture()->setPicture(result.picture);
  emit previewShown();
}
