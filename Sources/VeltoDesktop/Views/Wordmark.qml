import QtQuick

// The wordmark at a given height; the text "Velto" when the drawing is missing.
Item {
    id: wordmark
    property real markHeight: 20
    readonly property bool hasArtwork: artwork.has("velto-wordmark")

    implicitHeight: markHeight
    implicitWidth: hasArtwork ? Math.round(markHeight * 66 / 20) : fallback.implicitWidth
    Accessible.name: userTexts.velto

    SymbolImage {
        anchors.fill: parent
        visible: wordmark.hasArtwork
        name: wordmark.hasArtwork ? "velto-wordmark" : ""
    }
    PlainText {
        id: fallback
        anchors.verticalCenter: parent.verticalCenter
        visible: !wordmark.hasArtwork
        text: userTexts.velto
        font.pixelSize: 15
        font.weight: Font.DemiBold
    }
}
