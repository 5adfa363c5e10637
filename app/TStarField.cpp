#include "app/TStarField.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kBox = 2000.0;
constexpr double kCentreZ = 1000.0;

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Whole steps of the box size until the value lies in (low, low + box], or
// [low, low + box] for x and y.
double wrapInto(double value, double low, bool openBelow)
{
    while (value > low + kBox)
        value -= kBox;
    while (openBelow ? value <= low : value < low)
        value += kBox;
    return value;
}

} // namespace

TStarField::TStarField(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TStarField::setNumStars(int count)
{
    m_numStars = std::clamp(count, 0, kMaxStars);
    if (m_created)
        m_stars.resize(static_cast<std::size_t>(m_numStars));
}

void TStarField::createStars(quint32 seed)
{
    QRandomGenerator random(seed);
    createStars(random);
}

void TStarField::createStars(QRandomGenerator &random)
{
    m_stars.resize(static_cast<std::size_t>(m_numStars));
    for (Star &s : m_stars) {
        s.x = random.bounded(-1000, 1000);
        s.y = random.bounded(-1000, 1000);
        s.z = random.bounded(0, 2000);
    }
    m_created = true;
}

void TStarField::moveStars(double dx, double dy, double dz)
{
    for (Star &s : m_stars) {
        s.x += dx;
        s.y += dy;
        s.z += dz;
    }
    m_moved = true;
}

void TStarField::rotateStars(double ax, double ay, double az)
{
    const double sx = std::sin(radians(ax)), cx = std::cos(radians(ax));
    const double sy = std::sin(radians(ay)), cy = std::cos(radians(ay));
    const double sz = std::sin(radians(az)), cz = std::cos(radians(az));
    for (Star &s : m_stars) {
        double x = s.x, y = s.y, z = s.z - kCentreZ;
        double t = y * cx - z * sx; // about x
        z = y * sx + z * cx;
        y = t;
        t = x * cy + z * sy; // about y
        z = -x * sy + z * cy;
        x = t;
        t = x * cz - y * sz; // about z
        y = x * sz + y * cz;
        x = t;
        s = {x, y, z + kCentreZ};
    }
    m_moved = true;
}

TStarField::Star TStarField::wrapped(Star star)
{
    star.x = wrapInto(star.x, -1000.0, false);
    star.y = wrapInto(star.y, -1000.0, false);
    star.z = wrapInto(star.z, 0.0, true);
    return star;
}

void TStarField::wrapAll()
{
    for (Star &s : m_stars)
        s = wrapped(s);
    m_moved = false;
}

int TStarField::greyLevel(double z)
{
    static constexpr int kLevels[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xEE, 0xDD, 0xCC, 0xBB,
                                        0xAA, 0x99, 0x88, 0x77, 0x55, 0x33, 0x11, 0x00};
    const int index = static_cast<int>(std::lround(z * 15.0 / kBox));
    return kLevels[std::clamp(index, 0, 15)];
}

QPointF TStarField::project(const Star &star, QSize size, int zoom)
{
    const double scale = zoom / 100.0 * 200.0;
    return {scale * star.x / star.z + size.width() / 2.0, scale * star.y / star.z + size.height() / 2.0};
}

QImage TStarField::render()
{
    if (!m_created) {
        createStars(*QRandomGenerator::global());
    }
    if (m_moved)
        wrapAll();
    QImage picture(size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    for (const Star &s : m_stars) {
        if (s.z <= 0)
            continue;
        const QPointF p = project(s, picture.size(), m_zoom);
        const int x = static_cast<int>(std::floor(p.x())), y = static_cast<int>(std::floor(p.y()));
        if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
            continue;
        const int g = greyLevel(s.z);
        picture.setPixel(x, y, qRgb(g, g, g));
    }
    return picture;
}

void TStarField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, render());
}
