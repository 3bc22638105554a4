#include "ui/classless/background_work.h"

namespace mq::ui {

BackgroundWork::~BackgroundWork()
{
    cancel();
    for (QThread* t : threads) {
        t->wait();
        delete t;
    }
}

void BackgroundWork::cancel()
{
    if (flag)
        flag->store(true);
    flag.reset();
    ++generation;
    running = false;
}

void BackgroundWork::start(Job job)
{
    cancel();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    flag = cancelled;
    const quint64 mine = generation;
    running = true;
    QThread* t = QThread::create([this, job = std::move(job), cancelled, mine] {
        std::function<void()> apply = job(*cancelled);
        if (cancelled->load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, apply = std::move(apply), cancelled, mine] {
                if (mine != generation || cancelled->load())
                    return;  // superseded while the result was on its way
                running = false;
                apply();
                emit done();
            },
            Qt::QueuedConnection);
    });
    threads.push_back(t);
    connect(t, &QThread::finished, this, [this, t] {
        threads.removeOne(t);
        t->deleteLater();
    });
    t->start(QThread::LowPriority);
}

}  // namespace mq::ui
