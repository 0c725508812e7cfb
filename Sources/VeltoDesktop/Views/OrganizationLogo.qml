import QtQuick

// An organization's square logo with rounded corners: its cached photo, else its picture from the
// web, else its monogram on the quaternary fill.
Item {
    id: logo
    property string deviceId
    property string address
    property string monogram
    property real side: 18
    readonly property string source: (pictures.revision, pictures.organization(deviceId, address, "rounded"))

    width: side
    height: side
    Accessible.ignored: true

    Rectangle {
        anchors.fill: parent
        radius: logo.side * 0.25
        color: theme.quaternary
        visible: picture.status !== Image.Ready
    }
    PlainText {
        anchors.centerIn: parent
        visible: picture.status !== Image.Ready
        text: logo.monogram
        font.pixelSize: Math.max(1, Math.round(logo.side * 0.55))
        font.weight: Font.DemiBold
        color: theme.secondary
    }
    Image {
        id: picture
        anchors.fill: parent
        source: logo.source
        sourceSize: Qt.size(Math.ceil(logo.side * Screen.devicePixelRatio),
                            Math.ceil(logo.side * Screen.devicePixelRatio))
        cache: false
        smooth: true
    }
}
