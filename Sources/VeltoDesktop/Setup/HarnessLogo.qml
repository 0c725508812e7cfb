import QtQuick
import Velto.Views

// A harness's 16-point logo, dimmed to 0.35 when the harness is not installed; the terminal symbol
// when its drawing is missing.
SymbolImage {
    property string kind
    property bool isInstalled: true
    readonly property string logo: "harness-" + kind

    width: 16
    height: 16
    name: artwork.has(logo) ? logo : "terminal"
    opacity: isInstalled ? 1 : 0.35
    Accessible.ignored: true
}
