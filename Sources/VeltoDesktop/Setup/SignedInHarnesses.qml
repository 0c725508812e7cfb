import QtQuick
import Velto.Views

// A chip per installed harness; one that is not signed in carries an orange mark.
Row {
    id: harnesses
    property var chips: []

    spacing: 8

    Repeater {
        model: harnesses.chips
        GlassSurface {
            id: chip
            required property var modelData
            cornerRadius: 12
            width: content.width + 20
            height: content.height + 12

            Row {
                id: content
                anchors.centerIn: parent
                spacing: 6
                HarnessLogo {
                    anchors.verticalCenter: parent.verticalCenter
                    kind: chip.modelData.kind
                }
                PlainText {
                    anchors.verticalCenter: parent.verticalCenter
                    text: chip.modelData.name
                    font.pixelSize: 10
                    font.weight: Font.Medium
                }
                SymbolImage {
                    id: mark
                    anchors.verticalCenter: parent.verticalCenter
                    visible: !chip.modelData.isSignedIn
                    width: 11
                    height: 11
                    name: "exclamationmark-circle-fill"
                    color: theme.orange
                    Accessible.name: userTexts.signedOutLend
                    HoverHandler { id: markHover }
                }
            }

            HelpTip {
                anchors.bottom: parent.top
                anchors.bottomMargin: 4
                anchors.horizontalCenter: parent.horizontalCenter
                text: userTexts.signedOutLend
                shown: markHover.hovered
            }
        }
    }
}
