import QtQuick
import Velto.Views

// One kind of work: its title and switch, and its consent paragraph while it is on.
Item {
    id: scopeRow
    property var row: ({})
    signal toggled(bool isOn)

    height: content.height + 10
    opacity: row.isEnabled ? 1 : 0.45

    /// Places the consent now rather than at the next frame, so the list can scroll to it.
    function layOut() { content.forceLayout() }

    Column {
        id: content
        x: 12
        y: 5
        width: parent.width - 24
        spacing: 4

        Item {
            width: parent.width
            height: Math.max(toggle.height, title.implicitHeight)
            PlainText {
                id: title
                anchors.left: parent.left
                anchors.right: toggle.left
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: scopeRow.row.title || ""
                font.pixelSize: 12
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            SetupSwitch {
                id: toggle
                objectName: "scope-" + (scopeRow.row.scope || "")
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                checked: scopeRow.row.isOn || false
                enabled: scopeRow.row.isEnabled || false
                onToggled: scopeRow.toggled(checked)
                Accessible.name: title.text
            }
        }
        PlainText {
            objectName: "consent-" + (scopeRow.row.scope || "")
            width: parent.width
            visible: scopeRow.row.isOn || false
            text: scopeRow.row.consent || ""
            font.pixelSize: 10
            color: theme.secondary
            wrapMode: Text.Wrap
        }
    }
}
