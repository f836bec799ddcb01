R001 No goto
R002 No nested if deeper than 3
R003 Function names unique
