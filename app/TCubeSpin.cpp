#include "app/TCubeSpin.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Steps of the continuous spin.
constexpr int kStepMilliseconds = 15;

constexpr int kFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
constexpr int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                               {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
// Corners 0-3 are the front square, 4-7 the back one, in the same turn.
constexpr int kUnit[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                             {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};

const std::array<double, 360> &sines()
{
    static const std::array<double, 360> table = [] {
        std::array<double, 360> t{};
        for (int a = 0; a < 360; ++a)
            t[a] = std::sin(a * std::numbers::pi / 180.0);
        return t;
    }();
    return table;
}

int normalised(int degrees)
{
    return ((degrees % 360) + 360) % 360;
}

double sine(int degrees)
{
    return sines()[normalised(degrees)];
}

double cosine(int degrees)
{
    return sine(90 - degrees);
}

} // namespace

TCubeSpin::TCubeSpin(QWidget *parent)
    : QWidget(parent), m_options(cdoErase | cdoHide | cdoDblBuf | cdoFaces | cdoShade | cdoColor)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setInterval(kStepMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &TCubeSpin::step);
}

void TCubeSpin::setAngle(int axis, int degrees)
{
    m_angle[axis] = normalised(degrees);
    update();
}

void TCubeSpin::setOptions(Options options)
{
    if (options & cdoFaces)
        options |= cdoHide;
    m_options = options;
    update();
}

void TCubeSpin::setContinuous(bool on)
{
    if (on)
        m_timer.start();
    else
        m_timer.stop();
}

void TCubeSpin::step()
{
    const std::array<bool, 3> on{XSpinOn, YSpinOn, ZSpinOn};
    for (int axis = 0; axis < 3; ++axis) {
        if (on[axis])
            m_angle[axis] = normalised(m_angle[axis] + SpinInc);
    }
    update();
    emit spun();
}

int TCubeSpin::scale() const
{
    return std::min(width(), height()) / 4;
}

std::array<TCubeSpin::Corner, 8> TCubeSpin::rotatedCorners() const
{
    const int ax = m_angle[0], ay = m_angle[1], az = m_angle[2];
    const int s = scale();
    std::array<Corner, 8> out{};
    for (int i = 0; i < 8; ++i) {
        double x = kUnit[i][0] * s, y = kUnit[i][1] * s, z = kUnit[i][2] * s;
        double t = y * cosine(ax) - z * sine(ax);
        z = y * sine(ax) + z * cosine(ax);
        y = t;
        t = x * cosine(ay) + z * sine(ay);
        z = -x * sine(ay) + z * cosine(ay);
        x = t;
        t = x * cosine(az) - y * sine(az);
        y = x * sine(az) + y * cosine(az);
        x = t;
        out[i] = {static_cast<int>(x), static_cast<int>(y), static_cast<int>(z)};
    }
    return out;
}

int TCubeSpin::hiddenCorner(const std::array<Corner, 8> &corners)
{
    int hidden = 0;
    for (int i = 1; i < 8; ++i) {
        if (corners[i].z < corners[hidden].z)
            hidden = i;
    }
    return hidden;
}

int TCubeSpin::faceBrightness(int depthRange, int s)
{
    if (s <= 0)
        return 255;
    return std::max(0, 255 - (64 * depthRange) / s);
}

void TCubeSpin::paintCube(QPainter &painter)
{
    if (!m_painted || (m_options & cdoErase))
        painter.fillRect(rect(), Color);
    m_painted = true;
    if (scale() <= 0)
        return;
    const std::array<Corner, 8> corners = rotatedCorners();
    const QPoint centre(width() / 2, height() / 2);
    const bool hide = m_options & cdoHide;
    std::array<QPoint, 8> screen{};
    for (int i = 0; i < 8; ++i) {
        const Corner &c = corners[i];
        if (hide)
            screen[i] = QPoint(c.x, c.y) + centre;
        else
            screen[i] = QPoint(c.x + c.x * c.z / (8 * scale()), c.y + c.y * c.z / (8 * scale())) + centre;
    }
    const int hidden = hide ? hiddenCorner(corners) : -1;
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!(m_options & cdoFaces)) {
        painter.setPen(Qt::black);
        for (const auto &e : kEdges) {
            if (e[0] != hidden && e[1] != hidden)
                painter.drawLine(screen[e[0]], screen[e[1]]);
        }
        return;
    }
    painter.setPen(Qt::NoPen);
    for (const auto &f : kFaces) {
        if (std::find(std::begin(f), std::end(f), hidden) != std::end(f))
            continue;
        int lo = corners[f[0]].z, hi = lo;
        QPolygon polygon;
        for (int i : f) {
            lo = std::min(lo, corners[i].z);
            hi = std::max(hi, corners[i].z);
            polygon << screen[i];
        }
        const int b = (m_options & cdoShade) ? faceBrightness(hi - lo, scale()) : 255;
        painter.setBrush((m_options & cdoColor) ? QColor(b / 2, b / 4, b) : QColor(b, b, b));
        painter.drawPolygon(polygon);
    }
}

QImage TCubeSpin::render()
{
    QImage picture(size(), QImage::Format_RGB32);
    picture.fill(Color);
    m_painted = false;
    QPainter painter(&picture);
    paintCube(painter);
    return picture;
}

void TCubeSpin::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_options & cdoDblBuf) {
        QImage picture(size(), QImage::Format_RGB32);
        picture.fill(Color);
        QPainter off(&picture);
        paintCube(off);
        off.end();
        painter.drawImage(0, 0, picture);
    } else {
        paintCube(painter);
    }
}
