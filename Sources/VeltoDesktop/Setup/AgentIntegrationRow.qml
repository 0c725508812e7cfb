import QtQuick
import Velto.Views

// One harness kind: its logo, name and what Velto adds to it, and its switch.
GlassSurface {
    id: agentRow
    property var row: ({})
    signal toggled(bool isOn)

    cornerRadius: 16
    isOverWindow: true
    height: Math.max(32, labels.height) + 18
    opacity: row.isInstalled ? 1 : 0.6

    GlassSurface {
        id: logoTile
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        width: 32
        height: 32
        cornerRadius: 10
        HarnessLogo {
            anchors.centerIn: parent
            kind: agentRow.row.kind || "claude-code"
            isInstalled: agentRow.row.isInstalled || false
        }
    }
    Column {
        id: labels
        anchors.left: logoTile.right
        anchors.leftMargin: 12
        anchors.right: toggle.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        PlainText {
            width: parent.width
            text: agentRow.row.name || ""
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        PlainText {
            width: parent.width
            text: agentRow.row.caption || ""
            font.pixelSize: 10
            color: theme.secondary
            elide: Text.ElideRight
        }
    }
    SetupSwitch {
        id: toggle
        objectName: "agent-" + (agentRow.row.kind || "")
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        checked: agentRow.row.isOn || false
        enabled: agentRow.row.isInstalled || false
        Accessible.name: agentRow.row.name || ""
        onToggled: agentRow.toggled(checked)
    }
}
