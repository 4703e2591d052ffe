// What a long step of the station (a tool run, a wait for the factory database) tells whoever
// presents it, on the calling thread, while it lasts. The station never includes the view; the
// form implements this by forwarding to its window.
#pragma once

#include <string>

namespace station {

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // The text to show in place of the text area's while the step lasts: the tool's newest
    // output, or a text of the station's own.
    virtual void ShowRunOutput(const std::string& text) = 0;
    // How long the step has lasted, "已运行 12 秒"; "" once it has ended.
    virtual void SetElapsedText(const std::string& text) = 0;
    // The same as numbers, with every SetElapsedText but the last, for a view that draws the
    // progress as a bar: the seconds, and the tool's newest percentage (-1 while it reported
    // none, and always for nrfjprog). The one-fixture window reads the text alone.
    virtual void SetRunProgress(long long /*seconds*/, int /*percent*/) {}
    // Called again and again while the step lasts: the window repaints and handles what the
    // system sends, leaving the operator's input queued until the operation has ended.
    virtual void KeepResponsive() = 0;
};

}  // namespace station
