import QtQuick
import QtQuick.Templates as T

// The application's buttons: plain on the glass surface, prominent in the accent colour, destructive
// in red (which wins over prominent); with `symbol`, one of our drawings before the title.
T.Button {
    id: button
    property bool isProminent: false
    property bool isDestructive: false
    property string symbol
    readonly property color fill: isDestructive ? theme.redFill : (isProminent ? theme.accentFill : "transparent")
    readonly property color ink: isDestructive ? "white" : (isProminent ? theme.accentInk : theme.ink)

    implicitWidth: Math.max(64, content.implicitWidth + 28)
    implicitHeight: 26
    focusPolicy: Qt.TabFocus
    hoverEnabled: true
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    opacity: enabled ? 1 : 0.45

    contentItem: Item {
        id: content
        readonly property bool hasSymbol: button.symbol.length > 0
        implicitWidth: hasSymbol ? withSymbol.implicitWidth : label.implicitWidth
        implicitHeight: label.implicitHeight

        PlainText {
            id: label
            anchors.fill: parent
            visible: !content.hasSymbol
            text: button.text
            font.pixelSize: 13
            font.weight: (button.isProminent || button.isDestructive) ? Font.DemiBold : Font.Normal
            color: button.ink
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        Row {
            id: withSymbol
            anchors.centerIn: parent
            visible: content.hasSymbol
            spacing: 6
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                width: 13
                height: 13
                name: content.hasSymbol ? button.symbol : ""
                color: button.ink
            }
            PlainText {
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, Math.max(0, content.width - 19))
                text: button.text
                font: label.font
                color: button.ink
                elide: Text.ElideRight
            }
        }
    }

    FocusRing { cornerRadius: button.height / 2 }
    background: Rectangle {
        radius: height / 2
        color: button.fill.a > 0 ? (button.down ? Qt.darker(button.fill, 1.15)
                                                : (button.hovered ? Qt.darker(button.fill, 1.07) : button.fill))
                                 : (button.down ? theme.quaternary
                                                : (button.hovered ? theme.hairline
                                                                  : Qt.rgba(theme.window.r, theme.window.g,
                                                                            theme.window.b, 0.92)))
        border.width: button.fill.a > 0 ? 0 : 1
        border.color: theme.hairline
    }
}
