import QtQuick

// The card of organizations: a confirmation in place of the rows while one is asked, the rows
// (scrolling beyond 154), or the not-enrolled row; and the model's problem under them.
GlassSurface {
    id: card
    property var list

    objectName: "organizationList"
    implicitWidth: 344
    implicitHeight: column.implicitHeight + 12
    cornerRadius: 14

    /// Each opening starts at the first organization.
    function toTop() { scroller.contentY = 0 }

    Column {
        id: column
        y: 6
        width: parent.width

        Loader {
            width: parent.width
            active: card.list.confirmation.kind !== undefined
            visible: active
            sourceComponent: Confirmation {
                width: column.width
                texts: card.list.confirmation
                onCancelled: card.list.cancel()
                onConfirmed: card.list.confirm()
            }
        }
        Flickable {
            id: scroller
            objectName: "organizationRows"
            width: parent.width
            visible: card.list.confirmation.kind === undefined && card.list.rowCount > 0
            height: visible ? card.list.scrollHeight(rows.implicitHeight) : 0
            contentHeight: rows.implicitHeight
            boundsBehavior: contentHeight > height ? Flickable.DragAndOvershootBounds : Flickable.StopAtBounds
            clip: true
            Column {
                id: rows
                width: scroller.width
                Repeater {
                    model: card.list.rows
                    delegate: OrganizationRow { list: card.list }
                }
            }
            ScrollMark { parent: scroller; flickable: scroller }
        }
        NotEnrolledRow {
            visible: card.list.confirmation.kind === undefined && card.list.rowCount === 0
            width: parent.width
        }
        MenuHeaderDetails {
            x: 12
            width: parent.width - 24
            topPadding: 4
            bottomPadding: 4
            visible: card.list.problem.length > 0
            problem: card.list.problem
        }
    }
}
