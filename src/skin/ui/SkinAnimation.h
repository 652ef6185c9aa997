#pragma once

#include "skin/ui/SkinClient.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The busy indicator of the progress window: a row of `count` pieces in which
// a lit group of three runs back and forth. A worker thread steps it every
// `speed` milliseconds and only asks the UI thread to repaint; the widget is
// never touched off the UI thread. Destroying the animation stops and joins
// the worker.
class CSkinAnimation : public QWidget, public CSkinClient {
    Q_OBJECT
public:
    // Where the lit group is and which way it runs.
    // Aligned to its size so that std::atomic<Run> is lock-free with every compiler
    // (clang otherwise calls into libatomic).
    struct alignas(8) Run {
        int position = 0;
        bool forward = true;
        bool operator==(const Run&) const = default;
    };
    // One step: the group moves until its edge piece reaches an end of the
    // row, then turns, standing still for that step.
    static Run NextStep(Run run, int count);
    // Piece i is lit when it is the position or next to it.
    static bool IsLit(int piece, int position);

    CSkinAnimation(std::string element, CSkinManager& manager);
    ~CSkinAnimation() override;

    // Creates the animation as a visible child of parent at position 0 and
    // starts the worker.
    void Start(QWidget* parent);
    // Stops and joins the worker; the last picture stays.
    void Stop();
    bool IsRunning() const { return worker_.joinable(); }

    void ApplySkin() override;
    // Sets the lit group's place, within 0 .. count.
    void SetPosition(int position);
    int Position() const { return run_.load().position; }
    int Count() const { return count_.load(); }
    int PeriodMs() const { return period_.load(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Work();
    void StretchFace();

    QImage face_;
    QRegion frame_;
    QImage active_, inactive_;
    QRegion activeShape_, inactiveShape_;
    QPoint firstPiece_;

    // Shared with the worker.
    std::atomic<Run> run_{};
    std::atomic<int> count_{0};
    std::atomic<int> period_{30};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false; // guarded by mutex_
    std::thread worker_;
};
