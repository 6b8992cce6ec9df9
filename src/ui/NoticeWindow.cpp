#include "NoticeWindow.h"

#include "UiFonts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace {

// Sizes below are given at 96 dots per inch.
constexpr int NoticeWidth = 200;
constexpr int NoticeHeight = 100;
constexpr int ScreenMargin = 8; // between the work area's edge and the notices
constexpr int NoticeGap = 6;    // between neighbouring notices
constexpr int Padding = 10;
constexpr int CaptionSpacing = 6;
constexpr int CaptionPixels = 13;
constexpr int TextPixels = 11;

qreal scaleOf(const QScreen *screen) {
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

} // namespace

NoticeWindow::NoticeWindow(const QString &caption, const QString &text, int lifetimeMs)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_caption(caption), m_text(text) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    // A notice left on screen must neither keep the program alive nor end it
    // when it goes.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(caption);
    m_lastFocus = QGuiApplication::focusWindow();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &NoticeWindow::focusWindowChanged);
    QTimer::singleShot(std::max(0, lifetimeMs), this, &QWidget::close);
}

QString NoticeWindow::caption() const {
    return m_caption;
}

QString NoticeWindow::text() const {
    return m_text;
}

qreal NoticeWindow::scale() const {
    return scaleOf(screen());
}

void NoticeWindow::focusWindowChanged(QWindow *window) {
    if (!window)
        return;
    // The flags only ask the window system not to activate the notice; where
    // it does so all the same, the user's window gets the focus straight back.
    if (window == windowHandle()) {
        if (m_lastFocus)
            m_lastFocus->requestActivate();
    } else if (!(window->flags() & Qt::WindowDoesNotAcceptFocus)) {
        m_lastFocus = window;
    }
}

void NoticeWindow::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        close();
        return;
    }
    QWidget::mousePressEvent(event);
}

void NoticeWindow::paintEvent(QPaintEvent *) {
    const qreal s = scale();
    QPainter p(this);
    // Fixed colours rather than the palette: a dark theme would otherwise
    // turn the notice into a dark patch that is easy to overlook.
    p.fillRect(rect(), QColor(0xFF, 0xFF, 0xFF));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const int pad = qRound(Padding * s);
    QRect area = rect().adjusted(pad, pad, -pad, -pad);

    const QFont captionFont = UiFonts::tahoma(qRound(CaptionPixels * s), true);
    const QFontMetrics captionMetrics(captionFont);
    p.setFont(captionFont);
    p.setPen(Qt::black);
    const QRect captionRect(area.topLeft(), QSize(area.width(), captionMetrics.height()));
    p.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter,
               captionMetrics.elidedText(m_caption, Qt::ElideRight, captionRect.width()));

    area.setTop(captionRect.bottom() + 1 + qRound(CaptionSpacing * s));
    p.setFont(UiFonts::tahoma(qRound(TextPixels * s)));
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

NoticeManager::NoticeManager(QObject *parent) : QObject(parent) {}

NoticeManager::~NoticeManager() {
    // The notices have no parent; without this they would outlive their
    // manager until their lifetime ends.
    for (const QPointer<NoticeWindow> &w : std::as_const(m_open))
        delete w.data();
}

NoticeWindow *NoticeManager::show(const QString &caption, const QString &text, int imageIndex) {
    Q_UNUSED(imageIndex);
    // Without a widget application (a command-line tool opening a notebook)
    // there is nowhere to show anything.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;

    QScreen *screen = targetScreen();
    const qreal s = scaleOf(screen);
    const QSize size(qRound(NoticeWidth * s), qRound(NoticeHeight * s));
    const QRect place = screen ? freePlace(screen, size) : QRect(QPoint(0, 0), size);

    m_open.removeAll(nullptr);
    auto *notice = new NoticeWindow(caption, text, m_lifetimeMs);
    if (screen)
        notice->setScreen(screen);
    notice->setFixedSize(size);
    notice->move(place.topLeft());
    m_open.append(notice);
    notice->show();
    return notice;
}

QList<NoticeWindow *> NoticeManager::openNotices() const {
    QList<NoticeWindow *> out;
    // A closed notice is only deleted later; it is gone for the user at once.
    for (const QPointer<NoticeWindow> &w : m_open)
        if (w && w->isVisible())
            out.append(w.data());
    return out;
}

Qt::Corner NoticeManager::cornerFor(const QRect &screen, const QRect &available) {
    const int left = available.left() - screen.left();
    const int top = available.top() - screen.top();
    const int right = screen.right() - available.right();
    const int bottom = screen.bottom() - available.bottom();
    // Desktops that reserve several strips (a top bar and a dock) have their
    // taskbar where the widest strip is.
    const int widest = std::max({left, top, right, bottom});
    if (widest <= 0 || bottom == widest || right == widest)
        return Qt::BottomRightCorner;
    return left == widest ? Qt::BottomLeftCorner : Qt::TopRightCorner;
}

QScreen *NoticeManager::targetScreen() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Frmain") && w->isVisible() && w->screen())
            return w->screen();
    return QGuiApplication::primaryScreen();
}

QRect NoticeManager::freePlace(QScreen *screen, const QSize &size) const {
    const QRect area = screen->availableGeometry();
    const Qt::Corner corner = cornerFor(screen->geometry(), area);
    const qreal s = scaleOf(screen);
    const int margin = qRound(ScreenMargin * s);
    const int stepX = size.width() + qRound(NoticeGap * s);
    const int stepY = size.height() + qRound(NoticeGap * s);
    const int columns = std::max(1, (area.width() - 2 * margin + stepX - size.width()) / stepX);
    const int rows = std::max(1, (area.height() - 2 * margin + stepY - size.height()) / stepY);
    const bool fromRight = corner != Qt::BottomLeftCorner;
    const bool fromBottom = corner != Qt::TopRightCorner;

    // Places are numbered from the corner outwards, along the row first.
    const auto placeAt = [&](int i) {
        const int column = i % columns;
        const int row = (i / columns) % rows;
        const int x = fromRight ? area.right() + 1 - margin - size.width() - column * stepX
                                : area.left() + margin + column * stepX;
        const int y = fromBottom ? area.bottom() + 1 - margin - size.height() - row * stepY
                                 : area.top() + margin + row * stepY;
        return QRect(QPoint(x, y), size);
    };

    // Open notices keep their places; a new one takes the first place none
    // of them covers, so a gap left by a closed notice is filled first.
    const QList<NoticeWindow *> open = openNotices();
    const int places = columns * rows;
    for (int i = 0; i < places; ++i) {
        const QRect candidate = placeAt(i);
        if (std::none_of(open.begin(), open.end(), [&](const NoticeWindow *w) {
                return w->geometry().intersects(candidate);
            }))
            return candidate;
    }
    // A work area full of notices: overlap an old one rather than leave the
    // screen.
    return placeAt(int(open.size() % places));
}
