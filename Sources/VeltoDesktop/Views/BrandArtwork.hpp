#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

namespace velto {

/// The application's own drawings: the brand artwork ("velto-wordmark", "menu-bar-v", "harness-" and
/// a harness kind's raw value) and the symbols the views use ("circle", "checkmark", "ellipsis",
/// "terminal"), SVG files in the views' resources. Each is drawn as a template: its shape in one ink
/// colour. A name that is missing, unreadable or not of lower-case letters, digits and "-" has no
/// image.
class BrandArtwork {
public:
    /// The resource folders that hold the drawings, in the order they are searched.
    static std::vector<QString> standardFolders();

    explicit BrandArtwork(std::vector<QString> folders = standardFolders());

    /// The file of a drawing, when there is a readable one.
    std::optional<QString> file(std::string_view name) const;
    bool has(std::string_view name) const { return file(name).has_value(); }

    /// The drawing scaled to fit `pixels` (centred), its shape filled with `ink` at `opacity`.
    std::optional<QImage> render(std::string_view name, QSize pixels, const QColor& ink,
                                 double opacity = 1.0) const;

    /// The status item's image, `side` pixels square: the "menu-bar-v" glyph at `opacity`, and with
    /// `isBadged` a dot of 0.4 × side touching the top and right edges, drawn at full strength.
    std::optional<QImage> menuBarImage(int side, const QColor& ink, double opacity, bool isBadged) const;

private:
    std::vector<QString> folders_;
};

} // namespace velto
