import QtQuick

// The card's soft shadow: a nine-slice image made once in C++, stretched around the card it is
// anchored to (black at 0.28, blur 16, 8 below).
BorderImage {
    property Item card
    property int cornerRadius: 22
    readonly property int margin: 24

    x: card ? card.x - margin : 0
    y: card ? card.y - margin + 8 : 0
    width: card ? card.width + 2 * margin : 0
    height: card ? card.height + 2 * margin : 0
    source: "image://shadow/" + cornerRadius
    border.left: margin + cornerRadius
    border.right: margin + cornerRadius
    border.top: margin + cornerRadius
    border.bottom: margin + cornerRadius
    horizontalTileMode: BorderImage.Stretch
    verticalTileMode: BorderImage.Stretch
    smooth: true
}
