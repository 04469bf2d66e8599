// Answering a modal dialog that the code under test opens: WhenModal<D>(f)
// looks every few milliseconds for an open modal dialog of type D and runs f
// on the first one it finds (f accepts or rejects it), for as long as the
// returned object lives. Looking more than once matters: the busy overlay
// lets timers run before the dialog exists. appeared() tells afterwards
// whether the dialog came.
//
//   const auto answer = WhenModal<CDlgPw>([](CDlgPw* p) { p->accept(); });
//   page->OnConnect();            // opens the prompt; the answer closes it
//   EXPECT_TRUE(answer.appeared());
#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

namespace testsupport {

template <class D> class ModalAnswer
{
public:
    static constexpr int kLookIntervalMs = 5;

    explicit ModalAnswer(std::function<void(D*)> f)
        : m_timer(std::make_unique<QTimer>()), m_appeared(std::make_shared<bool>(false))
    {
        QTimer* timer = m_timer.get();
        QObject::connect(timer, &QTimer::timeout, [timer, f = std::move(f), appeared = m_appeared] {
            if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
                timer->stop();
                *appeared = true;
                f(dialog);
            }
        });
        timer->start(kLookIntervalMs);
    }

    bool appeared() const { return *m_appeared; }

private:
    std::unique_ptr<QTimer> m_timer;
    std::shared_ptr<bool> m_appeared;
};

template <class D> [[nodiscard]] ModalAnswer<D> WhenModal(std::function<void(D*)> f)
{
    return ModalAnswer<D>(std::move(f));
}

} // namespace testsupport
