// One piece of work at a time off the user-interface thread. Starting another
// cancels the one before (its cancel flag is set; its result is never shown), and
// the result of the last one is handed back on this object's thread.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

namespace mq::ui {

class BackgroundWork : public QObject {
    Q_OBJECT
public:
    // Runs on the worker thread; returns what to do with its result on this object's thread.
    using Job = std::function<std::function<void()>(const std::atomic<bool>& cancel)>;

    using QObject::QObject;
    ~BackgroundWork() override;  // cancels and waits for every thread still running

    void start(Job job);
    void cancel();
    bool busy() const { return running; }

signals:
    void done();

private:
    std::shared_ptr<std::atomic<bool>> flag;
    quint64 generation = 0;
    bool running = false;
    QList<QThread*> threads;
};

}  // namespace mq::ui
