#pragma once

#include "package/package_preview.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// A preview asked for: where it starts, and the largest side wanted.
struct PreviewRequest {
  PreviewSource source;
  std::uint32_t side = 0;
  bool operator==(const PreviewRequest &) const = default;
};

struct PreviewResult {
  PreviewRequest request;
  QImage picture;  // null when there is none
  QString problem; // why not
};

// Decodes previews on a thread of its own, one at a time, so that the
// window never waits on a picture. A request made while another waits
// replaces it: running down the rows decodes the row where the user stops,
// and at most the one under way when they started.
class PreviewDecoder final : public QObject {
  Q_OBJECT

public:
  explicit PreviewDecoder(QObject *parent = nullptr);
  // Waits for the decode under way, which is bounded.
  ~PreviewDecoder() override;

  void request(const PreviewRequest &request);
  // Runs on the decoding thread before each decode: a test holds it there.
  void setBeforeDecode(std::function<void(const PreviewRequest &)> hook);
  // How many decodes ran.
  std::size_t decodes() const;

signals:
  // Emitted on the window's thread.
  void decoded(const PreviewResult &result);

private:
  void run();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<PreviewRequest> pending_;
  std::function<void(const PreviewRequest &)> beforeDecode_;
  std::size_t decodes_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};
