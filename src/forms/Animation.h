#pragma once

#include "forms/Control.h"

namespace forms {

// Plays a clip (the busy animation). The model keeps what should play; the front end
// plays it, and a clip it cannot play simply shows nothing.
class Animation : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::Animation; }
    static constexpr std::string_view kTypeName = "Animation";
    std::string_view typeName() const override { return kTypeName; }

    bool AutoPlay() const { return autoPlay_; }
    void setAutoPlay(bool autoPlay);

    // Opens a clip; with AutoPlay on it starts playing at once.
    void Open(std::string file);
    void Play();
    void Stop();
    // Stops and forgets the clip.
    void Close();

    const std::string& FileName() const { return file_; }
    bool isPlaying() const { return playing_; }

private:
    void setPlaying(bool playing);

    std::string file_;
    bool autoPlay_ = false;
    bool playing_ = false;
};

} // namespace forms
