import QtQuick

// A harness's logo at 16 px, faded to 0.35 when it is not installed; "terminal" when the drawing is missing.
SymbolImage {
    property string kind
    property bool isInstalled: true

    width: 16
    height: 16
    name: artwork.has("harness-" + kind) ? "harness-" + kind : "terminal"
    inkOpacity: isInstalled ? 1 : 0.35
    Accessible.ignored: true
}
