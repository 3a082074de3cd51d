update t set a='x;y'; select [a;b] from t -- a; b
select 'O''Brien;'