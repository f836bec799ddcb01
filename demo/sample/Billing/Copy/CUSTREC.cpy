       01 CUST-RECORD.
          05 CUST-NAME     PIC X(30).
          05 CUST-BALANCE  PIC S9(7)V99.
