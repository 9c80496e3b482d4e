// What the Qt tests share: acting on a modal window (a dialog, a message box, a file dialog) once
// Qt shows it, from inside the event loop that the window's modal run starts.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <string>

namespace guitest
{
/// Runs act on the first modal window of type Window that Qt shows from now on. The check runs as
/// the event loop turns, so the window may come up at once or after other events.
template <class Window> void whenShown(std::function<void(Window&)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        auto* window = dynamic_cast<Window*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(*window);
    });
    timer->start();
}

/// Presses button in the next message box and keeps its text.
inline void answerNextBox(std::string& text, QMessageBox::StandardButton button)
{
    whenShown<QMessageBox>([&text, button](QMessageBox& box) {
        text = box.text().toStdString();
        box.button(button)->click();
    });
}
} // namespace guitest
