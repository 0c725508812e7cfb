import QtQuick
import Velto.Views

// A small help text shown over the item it belongs to while the pointer rests on it.
GlassSurface {
    id: tip
    property string text
    property bool shown: false

    cornerRadius: 6
    width: label.implicitWidth + 12
    height: label.implicitHeight + 8
    z: 10
    visible: shown

    PlainText {
        id: label
        anchors.centerIn: parent
        text: tip.text
        font.pixelSize: 10
    }
}
