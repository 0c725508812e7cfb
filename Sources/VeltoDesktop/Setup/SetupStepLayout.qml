import QtQuick
import Velto.Views

// Every step's arrangement: the title (after the user's picture, when there is one), the message and
// the controls in a column 330 points wide, and the illustration in a 340-point glass square. The
// column never grows past the step's height: a long title shrinks to a floor size and then elides,
// and a long message scrolls in the room the title and the controls leave, so the controls (the
// step's own buttons among them) always show.
Item {
    id: layout
    property string title
    property string message
    /// The user's picture, as {address, initial}; none when empty.
    property var avatar: ({})
    default property alias controls: controlsHolder.data
    property alias illustration: illustrationHolder.data
    /// The title's room (about three lines at the floor size) and its smallest size.
    readonly property real titleRoom: 96
    readonly property int titleFloor: 18
    /// The message keeps at least about two lines, however tall the controls.
    readonly property real messageFloor: 34
    /// The column's height at most: the step's, less a margin from the header and the footer.
    readonly property real room: height - 16
    /// The room the controls have once the title and about three lines of the message are placed:
    /// controls that can scroll (a list) shrink to it before the message does.
    readonly property real controlsRoom: room - heading.height - 2 * column.spacing - 6
                                         - Math.min(messageText.implicitHeight, 52)

    // The title as it would lay out at full size: it keeps that size while it fits in its room.
    PlainText {
        id: fullSize
        visible: false
        width: titleText.width
        text: layout.title
        font.pixelSize: 30
        font.weight: Font.Bold
        wrapMode: Text.WordWrap
    }
    // And at the floor size: a word wider than the line even there must break inside.
    PlainText {
        id: floorSize
        visible: false
        width: titleText.width
        text: layout.title
        font.pixelSize: layout.titleFloor
        font.weight: Font.Bold
        wrapMode: Text.WordWrap
    }
    PlainText {
        id: floorWrapped
        visible: false
        width: titleText.width
        text: layout.title
        font.pixelSize: layout.titleFloor
        font.weight: Font.Bold
        wrapMode: Text.Wrap
    }

    Row {
        anchors.centerIn: parent
        spacing: 36

        Column {
            id: column
            anchors.verticalCenter: parent.verticalCenter
            width: 330
            spacing: 14

            Row {
                id: heading
                width: parent.width
                spacing: 12
                Avatar {
                    id: picture
                    visible: layout.avatar && layout.avatar.initial !== undefined
                    side: 38
                    address: visible ? layout.avatar.address : ""
                    initial: visible ? layout.avatar.initial : ""
                }
                PlainText {
                    id: titleText
                    width: parent.width - (picture.visible ? picture.width + parent.spacing : 0)
                    // At full size while it fits in the title's room; smaller down to the floor, then
                    // elided. Lines break between words; only a word too long for a line even at the
                    // floor breaks inside, at the floor size.
                    readonly property bool wordOverflows: floorSize.contentWidth > width + 0.5
                    height: Math.min(wordOverflows ? floorWrapped.height : fullSize.height, layout.titleRoom)
                    text: layout.title
                    font.pixelSize: wordOverflows ? layout.titleFloor : 30
                    font.weight: Font.Bold
                    wrapMode: wordOverflows ? Text.Wrap : Text.WordWrap
                    fontSizeMode: wordOverflows ? Text.FixedSize : Text.Fit
                    minimumPixelSize: layout.titleFloor
                    elide: Text.ElideRight
                    Accessible.role: Accessible.Heading
                }
            }
            BoundedScroll {
                id: messageArea
                width: parent.width
                maximumHeight: Math.max(layout.messageFloor,
                                        layout.room - heading.height - controlsArea.height - 2 * column.spacing)
                PlainText {
                    id: messageText
                    width: parent.width
                    text: layout.message
                    color: theme.secondary
                    wrapMode: Text.Wrap
                }
            }
            Item {
                id: controlsArea
                width: parent.width
                height: controlsHolder.height + 6
                Column {
                    id: controlsHolder
                    y: 6
                    width: parent.width
                }
            }
        }

        GlassSurface {
            anchors.verticalCenter: parent.verticalCenter
            width: 340
            height: 340
            cornerRadius: 32
            isOverWindow: true
            clip: true
            Accessible.ignored: true

            Item {
                id: illustrationHolder
                anchors.fill: parent
            }
        }
    }
}
