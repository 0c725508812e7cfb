import QtQuick
import Velto.Views

// The organization's picture at the globe's centre: its cached photo, else its picture from the
// web, else its initial (the product's, without an organization) on the accent tint.
Item {
    id: mark
    property var organization: ({})
    property real side: 68
    readonly property string source: (pictures.revision,
                                      pictures.organization(organization.deviceId || "",
                                                            organization.organizationAddress || "", "rounded"))

    width: side
    height: side
    Accessible.ignored: true

    Rectangle {
        anchors.fill: parent
        anchors.topMargin: 4
        anchors.bottomMargin: -4
        radius: 18
        color: Qt.rgba(0, 0, 0, 0.08)
    }
    GlassSurface {
        anchors.fill: parent
        cornerRadius: 18
        Rectangle {
            anchors.fill: parent
            radius: 18
            visible: picture.status !== Image.Ready
            color: Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.25)
        }
        PlainText {
            anchors.centerIn: parent
            visible: picture.status !== Image.Ready
            text: mark.organization.monogram || "V"
            font.pixelSize: 30
            font.weight: Font.Bold
        }
        Image {
            id: picture
            anchors.fill: parent
            source: mark.source
            sourceSize: Qt.size(Math.ceil(mark.side * Screen.devicePixelRatio),
                                Math.ceil(mark.side * Screen.devicePixelRatio))
            cache: false
            smooth: true
        }
    }
}
