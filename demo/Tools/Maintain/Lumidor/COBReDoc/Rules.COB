R001 No GO TO
R002 No nested IF deeper than 3
R003 Paragraph names unique
