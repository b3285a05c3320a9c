// Draws the pictures of a language bundle: banner bitmap 165, side bitmap 166 and icon 159.
//
//   trnpictures english|chinese <outdir>
//
// writes <outdir>/bitmap/165.bmp, <outdir>/bitmap/166.bmp and <outdir>/icon/159.png;
//
//   trnpictures icons <outdir>
//
// writes the desktop icons <outdir>/hicolor/<size>x<size>/apps/trnsetup.png and
// <outdir>/hicolor/scalable/apps/trnsetup.svg.
// Runs while building, so it needs no display and no particular font: text that no
// installed font can show falls back to English, and with no font at all the pictures
// are drawn without text.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>
#include <vector>

namespace {

const QColor kDeepBlue(8, 28, 66);
const QColor kBlue(18, 64, 128);
const QColor kLightBlue(52, 128, 206);
const QColor kTrace(96, 170, 240);
const QColor kCopper(232, 160, 72);

struct Texts {
    QString title;
    QString subtitle;
    QFont titleFont;
    QFont subtitleFont;
};

// A font family able to show Simplified Chinese, or empty when none is installed.
QString chineseFamily() {
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& preferred :
         {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC")}) {
        if (families.contains(preferred))
            return preferred;
    }
    return families.isEmpty() ? QString() : families.first();
}

// True when the font has a glyph for every character, so no placeholder boxes get drawn.
bool canShow(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    for (const QChar c : text) {
        if (!c.isSpace() && !metrics.inFont(c))
            return false;
    }
    return true;
}

Texts textsFor(const QString& language) {
    Texts texts{QStringLiteral("TRN/TRE Series"), QStringLiteral("Configuration Wizard"), QFont(),
                QFont()};
    texts.titleFont.setFamily(QStringLiteral("DejaVu Sans"));
    texts.titleFont.setStyleHint(QFont::SansSerif);
    if (language == QLatin1String("chinese")) {
        const QString family = chineseFamily();
        if (!family.isEmpty()) {
            QFont font(family);
            const Texts chinese{QStringLiteral("TRN/TRE 系列"), QStringLiteral("控制器配置向导"),
                                font, font};
            if (canShow(font, chinese.title + chinese.subtitle))
                texts = chinese;
        }
    }
    if (!canShow(texts.titleFont, texts.title + texts.subtitle)) {
        texts.title.clear();  // no usable font at all: a picture without words
        texts.subtitle.clear();
    }
    texts.subtitleFont = texts.titleFont;
    texts.titleFont.setPixelSize(24);
    texts.titleFont.setBold(true);
    texts.subtitleFont.setPixelSize(14);
    return texts;
}

// One shape of a picture: filled, then outlined, in the picture's coordinates. Pictures made
// of parts are painted at any size and written as SVG from the same description.
struct Part {
    QPainterPath path;
    QBrush fill;
    QPen pen = Qt::NoPen;
};
using Parts = std::vector<Part>;

void paint(QPainter& p, const Parts& parts) {
    for (const Part& part : parts) {
        p.setPen(part.pen);
        p.setBrush(part.fill);
        p.drawPath(part.path);
    }
}

QPainterPath ellipse(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// A stylised three-phase motor seen from the front: stator ring with teeth, windings, rotor.
Parts motorParts(QPointF centre, qreal radius) {
    Parts parts;
    QRadialGradient glow(centre, radius * 1.6);
    glow.setColorAt(0, QColor(80, 160, 255, 90));
    glow.setColorAt(1, QColor(80, 160, 255, 0));
    parts.push_back({ellipse(centre, radius * 1.6), glow});

    // Stator ring.
    parts.push_back(
        {ellipse(centre, radius), QColor(30, 60, 110), QPen(QColor(200, 220, 245), radius * 0.08)});

    // Teeth with windings in the three phase colours.
    const QColor phases[] = {QColor(240, 90, 80), QColor(250, 200, 70), QColor(90, 200, 120)};
    for (int i = 0; i < 9; ++i) {
        const QTransform turn = QTransform::fromTranslate(centre.x(), centre.y()).rotate(i * 40.0);
        QPainterPath tooth;
        tooth.addRect(QRectF(-radius * 0.09, -radius * 0.92, radius * 0.18, radius * 0.42));
        QPainterPath winding;
        winding.addRoundedRect(QRectF(-radius * 0.17, -radius * 0.82, radius * 0.34, radius * 0.22),
                               radius * 0.05, radius * 0.05);
        parts.push_back({turn.map(tooth), QColor(170, 190, 215)});
        parts.push_back({turn.map(winding), phases[i % 3]});
    }

    // Rotor with magnets and shaft.
    parts.push_back({ellipse(centre, radius * 0.42), QColor(60, 70, 90),
                     QPen(QColor(220, 230, 245), radius * 0.04)});
    for (int i = 0; i < 6; ++i) {
        const QTransform turn = QTransform::fromTranslate(centre.x(), centre.y()).rotate(i * 60.0);
        QPainterPath magnet(QPointF(0, 0));
        magnet.arcTo(QRectF(-radius * 0.38, -radius * 0.38, radius * 0.76, radius * 0.76), 60, 60);
        magnet.closeSubpath();
        parts.push_back(
            {turn.map(magnet), i % 2 == 0 ? QColor(210, 70, 70) : QColor(70, 110, 210)});
    }
    parts.push_back({ellipse(centre, radius * 0.12), QColor(220, 225, 235)});
    return parts;
}

void drawMotor(QPainter& p, QPointF centre, qreal radius) {
    paint(p, motorParts(centre, radius));
}

// Circuit-board traces: right-angled runs ending in solder pads, placed by a fixed pattern
// so that every build draws the same picture.
void drawTraces(QPainter& p, const QRectF& area, int count, qreal opacity) {
    p.save();
    p.setOpacity(opacity);
    p.setClipRect(area);
    QPen pen(kTrace, 1.5);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    quint32 seed = 20240611u;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<quint32>(range));
    };
    for (int i = 0; i < count; ++i) {
        const QPointF start(area.left() + next(int(area.width())),
                            area.top() + next(int(area.height())));
        QPainterPath path(start);
        QPointF at = start;
        const int legs = 2 + next(3);
        for (int leg = 0; leg < legs; ++leg) {
            const qreal length = 10 + next(40);
            switch (next(3)) {
                case 0:
                    at += QPointF(length, 0);
                    break;
                case 1:
                    at += QPointF(length * 0.7, length * 0.7 * (next(2) ? 1 : -1));
                    break;
                default:
                    at += QPointF(0, length * (next(2) ? 1 : -1));
                    break;
            }
            path.lineTo(at);
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(QPen(kTrace, 1.2));
        p.setBrush(kDeepBlue);
        p.drawEllipse(start, 2.5, 2.5);
        p.setBrush(kCopper);
        p.drawEllipse(at, 2.5, 2.5);
    }
    p.restore();
}

// A small controller module: a box with heat-sink fins and a status light.
void drawController(QPainter& p, const QRectF& box) {
    p.save();
    QLinearGradient body(box.topLeft(), box.bottomLeft());
    body.setColorAt(0, QColor(190, 200, 215));
    body.setColorAt(1, QColor(110, 125, 150));
    p.setPen(QPen(QColor(230, 236, 245), 1.2));
    p.setBrush(body);
    p.drawRoundedRect(box, 4, 4);
    p.setPen(QPen(QColor(80, 95, 120), 1.2));
    const int fins = 6;
    for (int i = 1; i <= fins; ++i) {
        const qreal y = box.top() + box.height() * i / (fins + 1);
        p.drawLine(QPointF(box.left() + 6, y), QPointF(box.right() - 14, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 230, 120));
    p.drawEllipse(QPointF(box.right() - 7, box.top() + 8), 2.5, 2.5);
    p.restore();
}

QImage banner(const Texts& texts) {
    QImage image(700, 70, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 700, 0);
    background.setColorAt(0, kDeepBlue);
    background.setColorAt(0.55, kBlue);
    background.setColorAt(1, kLightBlue);
    p.fillRect(image.rect(), background);
    drawTraces(p, QRectF(380, 0, 320, 70), 14, 0.45);

    drawMotor(p, QPointF(38, 35), 24);

    p.setPen(Qt::white);
    p.setFont(texts.titleFont);
    p.drawText(QRectF(78, 6, 400, 32), Qt::AlignLeft | Qt::AlignVCenter, texts.title);
    p.setPen(QColor(175, 210, 245));
    p.setFont(texts.subtitleFont);
    p.drawText(QRectF(80, 38, 400, 24), Qt::AlignLeft | Qt::AlignVCenter, texts.subtitle);

    // Bottom highlight line, as a divider against the page below.
    QLinearGradient line(0, 0, 700, 0);
    line.setColorAt(0, kCopper);
    line.setColorAt(1, QColor(232, 160, 72, 0));
    p.fillRect(QRectF(0, 67, 700, 3), line);
    return image;
}

QImage sidePicture(int height, const Texts& texts) {
    QImage image(150, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height);
    background.setColorAt(0, kLightBlue);
    background.setColorAt(0.45, kBlue);
    background.setColorAt(1, kDeepBlue);
    p.fillRect(image.rect(), background);
    drawTraces(p, QRectF(0, 0, 150, height), height / 18, 0.35);

    const qreal motorY = height * 0.30;
    drawMotor(p, QPointF(75, motorY), 40);

    // Controller below the motor, wired to it by three phase leads.
    const QRectF box(40, height * 0.62, 70, 44);
    const QColor phases[] = {QColor(240, 90, 80), QColor(250, 200, 70), QColor(90, 200, 120)};
    for (int i = 0; i < 3; ++i) {
        const qreal x = box.left() + 20 + i * 15;
        QPainterPath lead(QPointF(x, box.top()));
        lead.cubicTo(QPointF(x, box.top() - 20), QPointF(75 + (i - 1) * 12, motorY + 70),
                     QPointF(75 + (i - 1) * 12, motorY + 44));
        p.setPen(QPen(phases[i], 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(lead);
    }
    drawController(p, box);

    p.setPen(QColor(200, 225, 250));
    QFont font = texts.subtitleFont;
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, height - 34, 150, 24), Qt::AlignCenter, texts.title);
    return image;
}

// The program's icon on a 48 by 48 square: the motor and a lightning stroke across the rotor,
// the controller's power stage. rounded: with rounded corners, transparent beyond them, as
// desktop icons are; otherwise the whole square.
Parts iconParts(bool rounded) {
    QLinearGradient background(0, 0, 48, 48);
    background.setColorAt(0, kLightBlue);
    background.setColorAt(1, kDeepBlue);
    QPainterPath square;
    if (rounded)
        square.addRoundedRect(QRectF(1, 1, 46, 46), 7, 7);
    else
        square.addRect(QRectF(0, 0, 48, 48));
    Parts parts{{square, background}};
    for (Part& part : motorParts(QPointF(24, 24), 17)) parts.push_back(std::move(part));
    QPainterPath bolt;
    bolt.moveTo(27, 6);
    bolt.lineTo(17, 26);
    bolt.lineTo(24, 26);
    bolt.lineTo(20, 42);
    bolt.lineTo(32, 20);
    bolt.lineTo(25, 20);
    bolt.closeSubpath();
    parts.push_back({bolt, QColor(255, 210, 70), QPen(kDeepBlue, 1.2)});
    return parts;
}

QImage icon(int size, bool rounded) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    paint(p, iconParts(rounded));
    return image;
}

QString svgNumber(qreal value) {
    return QString::number(value, 'g', 6);
}

// A colour as SVG attributes: attribute="#rrggbb", and opacity="..." unless it is opaque.
QString svgColour(const QColor& colour, const char* attribute, const char* opacity) {
    QString text = QStringLiteral(" %1=\"%2\"").arg(QLatin1String(attribute), colour.name());
    if (colour.alpha() != 255)
        text +=
            QStringLiteral(" %1=\"%2\"").arg(QLatin1String(opacity), svgNumber(colour.alphaF()));
    return text;
}

// The parts as an SVG document of the given size; gradients become definitions.
QByteArray svg(const Parts& parts, int size, const QString& comment) {
    QString defs, body;
    int gradients = 0;
    for (const Part& part : parts) {
        QString fill;
        if (const QGradient* g = part.fill.gradient()) {
            const QString id = QStringLiteral("g%1").arg(++gradients);
            if (g->type() == QGradient::LinearGradient) {
                const auto* l = static_cast<const QLinearGradient*>(g);
                defs += QStringLiteral(
                            "    <linearGradient id=\"%1\" x1=\"%2\" y1=\"%3\" x2=\"%4\" "
                            "y2=\"%5\" gradientUnits=\"userSpaceOnUse\">\n")
                            .arg(id, svgNumber(l->start().x()), svgNumber(l->start().y()),
                                 svgNumber(l->finalStop().x()), svgNumber(l->finalStop().y()));
            } else {
                const auto* r = static_cast<const QRadialGradient*>(g);
                defs += QStringLiteral(
                            "    <radialGradient id=\"%1\" cx=\"%2\" cy=\"%3\" r=\"%4\" "
                            "gradientUnits=\"userSpaceOnUse\">\n")
                            .arg(id, svgNumber(r->center().x()), svgNumber(r->center().y()),
                                 svgNumber(r->radius()));
            }
            for (const QGradientStop& stop : g->stops())
                defs += QStringLiteral("      <stop offset=\"%1\"%2/>\n")
                            .arg(svgNumber(stop.first),
                                 svgColour(stop.second, "stop-color", "stop-opacity"));
            defs += g->type() == QGradient::LinearGradient
                        ? QStringLiteral("    </linearGradient>\n")
                        : QStringLiteral("    </radialGradient>\n");
            fill = QStringLiteral(" fill=\"url(#%1)\"").arg(id);
        } else {
            fill = svgColour(part.fill.color(), "fill", "fill-opacity");
        }
        QString stroke;
        if (part.pen.style() != Qt::NoPen)
            stroke = svgColour(part.pen.color(), "stroke", "stroke-opacity") +
                     QStringLiteral(" stroke-width=\"%1\" stroke-linejoin=\"%2\"")
                         .arg(svgNumber(part.pen.widthF()),
                              part.pen.joinStyle() == Qt::RoundJoin   ? QStringLiteral("round")
                              : part.pen.joinStyle() == Qt::MiterJoin ? QStringLiteral("miter")
                                                                      : QStringLiteral("bevel"));
        QString data;
        for (int i = 0; i < part.path.elementCount(); ++i) {
            const QPainterPath::Element e = part.path.elementAt(i);
            const QString point = svgNumber(e.x) + u',' + svgNumber(e.y);
            if (e.isMoveTo())
                data += QStringLiteral("M") + point;
            else if (e.isLineTo())
                data += QStringLiteral("L") + point;
            else if (e.isCurveTo())
                data += QStringLiteral("C") + point;
            else
                data += u' ' + point;
        }
        body += QStringLiteral("  <path d=\"%1Z\"%2%3/>\n").arg(data, fill, stroke);
    }
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- %1 -->\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%2\" height=\"%2\" "
               "viewBox=\"0 0 48 48\">\n  <defs>\n%3  </defs>\n%4</svg>\n")
        .arg(comment, QString::number(size), defs, body)
        .toUtf8();
}

// The desktop's icons: the usual hicolor sizes and the scalable one, under <out>/hicolor.
bool writeDesktopIcons(const QDir& out) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(dir) || !icon(size, true).save(out.filePath(dir + "/trnsetup.png")))
            return false;
    }
    if (!out.mkpath(QStringLiteral("hicolor/scalable/apps")))
        return false;
    QFile file(out.filePath(QStringLiteral("hicolor/scalable/apps/trnsetup.svg")));
    return file.open(QIODevice::WriteOnly) &&
           file.write(svg(iconParts(true), 48,
                          QStringLiteral("trnsetup: a brushless motor and the controller's power "
                                         "stage"))) > 0;
}

// 24 bits per pixel, no alpha: what the bundles promise for bitmaps and the icon.
bool save(const QImage& image, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    return image.convertToFormat(QImage::Format_RGB888).save(path);
}

}  // namespace

int main(int argc, char** argv) {
    // A build step: never needs or uses a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("icons")) {
        if (writeDesktopIcons(QDir(args[2])))
            return 0;
        std::fprintf(stderr, "trnpictures: cannot write the icons into %s\n", qPrintable(args[2]));
        return 1;
    }
    if (args.size() != 3 ||
        (args[1] != QLatin1String("english") && args[1] != QLatin1String("chinese"))) {
        std::fprintf(stderr, "usage: trnpictures english|chinese|icons <outdir>\n");
        return 2;
    }
    const QString& language = args[1];
    const QDir out(args[2]);
    const Texts texts = textsFor(language);
    const int sideHeight = language == QLatin1String("english") ? 360 : 281;

    const struct {
        QImage image;
        QString name;
    } pictures[] = {
        {banner(texts), QStringLiteral("bitmap/165.bmp")},
        {sidePicture(sideHeight, texts), QStringLiteral("bitmap/166.bmp")},
        {icon(48, false), QStringLiteral("icon/159.png")},
    };
    for (const auto& picture : pictures) {
        const QString path = out.filePath(picture.name);
        if (!save(picture.image, path)) {
            std::fprintf(stderr, "trnpictures: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
