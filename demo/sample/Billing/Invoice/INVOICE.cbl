       IDENTIFICATION DIVISION.
       PROGRAM-ID. INVOICE.
      * Prints one invoice per customer record.
       ENVIRONMENT DIVISION.
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       COPY CUSTREC.
       01 WS-TOTAL        PIC 9(7)V99 VALUE 0.
       PROCEDURE DIVISION.
       MAIN-PARA.
           PERFORM READ-CUSTOMER
           IF CUST-BALANCE > 0
              ADD CUST-BALANCE TO WS-TOTAL
              CALL 'PRTINV' USING CUST-RECORD
           END-IF
           STOP RUN.
       READ-CUSTOMER.
           MOVE 'ACME' TO CUST-NAME.
