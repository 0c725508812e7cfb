import QtQuick

// The panel's card: the header, the organizations, the setup reminder, the harnesses and the
// commands, 360 wide on the glass surface.
GlassSurface {
    id: card
    property var menu

    objectName: "statusMenu"
    width: 360
    implicitHeight: column.implicitHeight + 16
    cornerRadius: 22

    function toTop() { organizations.toTop() }

    function runShortcut(sequence) {
        const commands = menu.commands
        for (let index = 0; index < commands.length; ++index) {
            if (commands[index].shortcut === sequence && commands[index].isEnabled) {
                menu.runCommand(index)
                return
            }
        }
    }

    Column {
        id: column
        x: 8
        y: 8
        width: parent.width - 16
        spacing: 8

        MenuHeader { width: parent.width; menu: card.menu }
        OrganizationList { id: organizations; width: parent.width; list: card.menu.organizations }
        SetupCard {
            width: parent.width
            menu: card.menu
            visible: card.menu.setupCard.title !== undefined
        }
        VersionList { width: parent.width; menu: card.menu }
        Column {
            id: commands
            width: parent.width
            spacing: 2
            PendingUpdateRow {
                width: parent.width
                visible: card.menu.pendingUpdate.length > 0
                text: card.menu.pendingUpdate
            }
            Repeater {
                model: card.menu.commands
                delegate: Column {
                    id: command
                    required property var modelData
                    required property int index
                    width: commands.width
                    MenuItem {
                        objectName: "command-" + command.modelData.title
                        width: parent.width
                        text: command.modelData.title
                        shortcut: command.modelData.shortcut
                        isChecked: command.modelData.isChecked
                        enabled: command.modelData.isEnabled
                        onClicked: card.menu.runCommand(command.index)
                    }
                    PlainText {
                        visible: command.modelData.refusal.length > 0
                        width: parent.width
                        leftPadding: 12
                        rightPadding: 12
                        bottomPadding: 4
                        text: command.modelData.refusal
                        font.pixelSize: 11
                        color: theme.red
                        wrapMode: Text.Wrap
                    }
                }
            }
        }
    }
}
