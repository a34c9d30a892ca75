#include "forms/Animation.h"

namespace forms {

void Animation::setAutoPlay(bool autoPlay) {
    autoPlay_ = autoPlay;
}

void Animation::setPlaying(bool playing) {
    if (playing_ == playing) return;
    playing_ = playing;
    changed(prop::Playing);
}

void Animation::Open(std::string file) {
    setPlaying(false);
    if (file_ != file) {
        file_ = std::move(file);
        changed(prop::FileName);
    }
    if (autoPlay_) setPlaying(true);
}

void Animation::Play() {
    if (!file_.empty()) setPlaying(true);
}

void Animation::Stop() {
    setPlaying(false);
}

void Animation::Close() {
    setPlaying(false);
    if (file_.empty()) return;
    file_.clear();
    changed(prop::FileName);
}

} // namespace forms
