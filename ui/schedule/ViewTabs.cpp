#include "ViewTabs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStackedWidget>
#include <QTabBar>

ViewTabs::ViewTabs(QWidget* parent) : QTabWidget(parent) {
    tabBar()->installEventFilter(this);
    // The tab bar takes the focus where the window puts it in the Tab order. The tab widget
    // itself would take it a second time out of turn, at the place it was made in, and hand it
    // on to its page.
    setFocusProxy(nullptr);
    setFocusPolicy(Qt::NoFocus);
    tabBar()->setFocusPolicy(Qt::TabFocus);
}

bool ViewTabs::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tabBar() || event->type() != QEvent::Shortcut || forwarding_)
        return QTabWidget::eventFilter(watched, event);
    // The tab bar shows the tab first; the page is then the one to focus.
    forwarding_ = true;
    QCoreApplication::sendEvent(tabBar(), event);
    forwarding_ = false;
    QWidget* page = currentWidget();
    // A page of pages: the one it shows.
    while (auto* stack = qobject_cast<QStackedWidget*>(page))
        page = stack->currentWidget();
    if (page) page->setFocus(Qt::ShortcutFocusReason);
    return true;
}
