#include "window/qt/preview_decoder.h"

#include "window/qt/display_text.h"

#include <cstring>

namespace {

QImage imageOf(const Picture &picture) {
  QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height), QImage::Format_RGBA8888);
  if (image.isNull())
    return image;
  const std::size_t row = std::size_t{picture.width} * 4;
  for (std::uint32_t y = 0; y < picture.height; ++y)
    std::memcpy(image.scanLine(static_cast<int>(y)), picture.rgba.data() + y * row, row);
  return image;
}

} // namespace

PreviewDecoder::PreviewDecoder(QObject *parent) : QObject(parent), thread_([this] { run(); }) {}

PreviewDecoder::~PreviewDecoder() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void PreviewDecoder::request(const PreviewRequest &request) {
  {
    const std::lock_guard lock(mutex_);
    pending_ = request;
  }
  wake_.notify_one();
}

void PreviewDecoder::setBeforeDecode(std::function<void(const PreviewRequest &)> hook) {
  const std::lock_guard lock(mutex_);
  beforeDecode_ = std::move(hook);
}

std::size_t PreviewDecoder::decodes() const {
  const std::lock_guard lock(mutex_);
  return decodes_;
}

void PreviewDecoder::run() {
  for (;;) {
    PreviewRequest request;
    std::function<void(const PreviewRequest &)> beforeDecode;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || pending_; });
      if (stopping_)
        return;
      request = std::move(*pending_);
      pending_.reset();
      beforeDecode = beforeDecode_;
    }
    if (beforeDecode)
      beforeDecode(request);
    const PictureDecode decode = decodePreview(request.source, request.side);
    PreviewResult result{request, decode.picture ? imageOf(*decode.picture) : QImage(), displayText(decode.problem)};
    {
      const std::lock_guard lock(mutex_);
      ++decodes_;
    }
    // Posted to this object: Qt drops it if the object has gone by then,
    // and the destructor waits for this thread first.
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)] { emit decoded(result); }, Qt::QueuedConnection);
  }
}
